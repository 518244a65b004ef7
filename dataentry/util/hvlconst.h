// Condition checks, integer routines and the owning list `TObjectList` (unit HvlConst).
//
// Conventions of the main program: see dataentry/util/exceptions.h (C++20, Qt 6, QString text,
// long double for 80-bit reals, classes at global scope, free functions in a namespace named
// after their unit, exceptions derived from `Exception`).
#pragma once

#include "util/exceptions.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <cstdint>
#include <span>
#include <tuple>
#include <type_traits>

namespace HvlConst {

namespace detail {
template <class T> struct FormatArg {
    T value;
    T get() const { return value; }
};
struct FormatText {
    QByteArray bytes;
    const char* get() const { return bytes.constData(); }
};
template <class T> auto Hold(const T& v)
{
    if constexpr (std::is_convertible_v<const T&, QString>)
        return FormatText{QString(v).toUtf8()};
    else
        return FormatArg<T>{v};
}
}  // namespace detail

// The printf-style format routine (%d, %s, %x, %g ...), independent of the C locale.
// QString arguments stand for %s.
template <class... Args> QString Format(const char* format, const Args&... args)
{
    auto held = std::make_tuple(detail::Hold(args)...);
    return std::apply([&](const auto&... h) { return QString::asprintf(format, h.get()...); }, held);
}

// Raises an exception of class E (EAssertionFailed unless given) with the message when flag is true.
template <class E = EAssertionFailed> void RaiseIf(bool flag, const QString& message)
{
    if (flag) throw E(message);
}
template <class E = EAssertionFailed, class... Args>
void RaiseIfFmt(bool flag, const char* format, const Args&... args)
{
    if (flag) throw E(Format(format, args...));
}
template <class E = EAssertionFailed> void CheckCondition(bool condition, const QString& message)
{
    RaiseIf<E>(!condition, message);
}
template <class E = EAssertionFailed, class... Args>
void CheckConditionFmt(bool condition, const char* format, const Args&... args)
{
    if (!condition) throw E(Format(format, args...));
}

inline int32_t IntMax(int32_t a, int32_t b) { return a > b ? a : b; }
inline int32_t IntMin(int32_t a, int32_t b) { return a < b ? a : b; }
inline int32_t IntIfThen(bool flag, int32_t a, int32_t b) { return flag ? a : b; }
inline bool InRangeInt(int32_t value, int32_t lo, int32_t hi) { return lo <= value && value <= hi; }

// Left fold of a non-empty array: r = first, then r = function(r, next). An empty array raises
// EAssertionFailed.
int32_t FoldInts(int32_t (*function)(int32_t, int32_t), std::span<const int32_t> integers);
int32_t MinOfInts(std::span<const int32_t> integers);

// Fractional part (x minus its integer part towards zero).
long double FracPart(long double x);
// Nearest 64-bit integer, ties to even; values beyond the 64-bit range give the nearest bound,
// NaN gives 0.
int64_t RoundToInt64(long double x);

// Frees every object of a list of plain pointers from the last to the first, then the list,
// and clears the caller's pointer. Nothing for no list.
template <class T> void FreeListAndItems(QList<T*>*& list)
{
    if (!list) return;
    for (qsizetype i = list->size() - 1; i >= 0; --i) delete (*list)[i];
    delete list;
    list = nullptr;
}

}  // namespace HvlConst

// A list of object pointers that, while owning (the default), frees its objects. Items are
// freed last to first by Clear and on destruction. An index outside the list raises EListError
// "List index out of bounds (i)". T must have a virtual destructor when derived objects are kept.
template <class T> class TObjectList {
public:
    TObjectList() = default;
    explicit TObjectList(bool ownsObjects) : m_owns(ownsObjects) {}
    TObjectList(const TObjectList&) = delete;
    TObjectList& operator=(const TObjectList&) = delete;
    ~TObjectList() { FreeAll(); }

    bool OwnsObjects() const { return m_owns; }
    void SetOwnsObjects(bool owns) { m_owns = owns; }

    qsizetype Add(T* object)
    {
        m_items.append(object);
        return m_items.size() - 1;
    }
    void Clear()
    {
        FreeAll();
        m_items.clear();
    }
    void Delete(qsizetype i)
    {
        Check(i);
        T* old = m_items[i];
        m_items.removeAt(i);
        if (m_owns) delete old;
    }
    qsizetype Count() const { return m_items.size(); }
    T* GetItem(qsizetype i) const
    {
        Check(i);
        return m_items[i];
    }
    T* operator[](qsizetype i) const { return GetItem(i); }
    qsizetype IndexOf(const T* object) const
    {
        for (qsizetype i = 0; i < m_items.size(); ++i)
            if (m_items[i] == object) return i;
        return -1;
    }
    void Insert(qsizetype i, T* object)
    {
        if (i < 0 || i > m_items.size()) Fail(i);
        m_items.insert(i, object);
    }
    void SetItem(qsizetype i, T* object)
    {
        Check(i);
        T* old = m_items[i];
        m_items[i] = object;
        if (m_owns && old != object) delete old;
    }
    // Removes item i from the list without freeing it and hands it to the caller.
    T* Extract(qsizetype i)
    {
        Check(i);
        T* item = m_items[i];
        m_items.removeAt(i);
        return item;
    }

private:
    void Check(qsizetype i) const
    {
        if (i < 0 || i >= m_items.size()) Fail(i);
    }
    [[noreturn]] static void Fail(qsizetype i)
    {
        throw EListError(QStringLiteral("List index out of bounds (%1)").arg(i));
    }
    void FreeAll()
    {
        if (!m_owns) return;
        for (qsizetype i = m_items.size() - 1; i >= 0; --i) {
            T* item = m_items[i];
            m_items[i] = nullptr;
            delete item;
        }
    }

    QList<T*> m_items;
    bool m_owns = true;
};
