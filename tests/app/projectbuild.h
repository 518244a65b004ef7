// Projects built in code for the tests of the project files: one for every foundation and load
// type, filled with values an engineer would enter (or, on request, with values of 8
// significant digits, negative wherever a sign is allowed).
#pragma once

#include "dataunit.h"
#include "project.h"
#include "projecttables.h"
#include "util/numtext.h"

#include <QDir>
#include <QFile>
#include <QString>

#include <gtest/gtest.h>

#include <initializer_list>
#include <ostream>
#include <string>
#include <vector>

// Readable QString values in test messages.
#ifndef TREMEX_TEST_PRINT_QSTRING
#define TREMEX_TEST_PRINT_QSTRING
inline void PrintTo(const QString& text, std::ostream* os) { *os << '"' << text.toStdString() << '"'; }
#endif

namespace build {

enum class Foundation { HalfSpace, Pile, Stratum, Multilayer };
enum class Load { Harmonic, Transient, Random };

inline const char* Name(Foundation f)
{
    switch (f) {
    case Foundation::HalfSpace: return "halfspace";
    case Foundation::Pile: return "pile";
    case Foundation::Stratum: return "stratum";
    case Foundation::Multilayer: return "multilayer";
    }
    return "";
}

inline const char* Name(Load l)
{
    switch (l) {
    case Load::Harmonic: return "harmonic";
    case Load::Transient: return "transient";
    case Load::Random: return "random";
    }
    return "";
}

// Sets the values of one row, from column 0 on.
inline void Row(TGridTable* table, int row, std::initializer_list<long double> values)
{
    int c = 0;
    for (long double v : values) table->Cell(c++, row)->SetAsFloat(v);
}

inline void Values(TGridTable* sub, const std::vector<long double>& values)
{
    sub->SetRowCount(static_cast<int>(values.size()));
    for (size_t k = 0; k < values.size(); ++k) sub->Cell(0, static_cast<int>(k))->SetAsFloat(values[k]);
}

// A project of the given kind in SI units; `digits8` gives every entered value 8 significant
// digits and a negative sign wherever the engine accepts one.
inline void Fill(TProject& project, Foundation f, Load l, bool digits8 = false)
{
    TProgramData& d = project.Data();
    TProjectTables& t = project.Tables();
    // An ordinary value, or one of 8 significant digits near it.
    auto x = [digits8](long double plain, long double eight) { return digits8 ? eight : plain; };

    d.ProjectTitle = QStringLiteral("Test of ") + QString::fromLatin1(Name(f)) + QStringLiteral(" ") +
                     QString::fromLatin1(Name(l));
    d.Mass = x(200, 212.34567L);
    d.Ixx = x(600, 612.34567L);
    d.Iyy = x(1100, 1123.4567L);
    d.Izz = x(1500, 1523.4567L);
    d.Ixy = x(0, -1.2345678L);
    d.Ixz = x(0, -2.3456789L);
    d.Iyz = x(0, -3.4567891L);
    d.Xc = x(0, -0.12345678L);
    d.Yc = x(0, -0.23456789L);
    d.Zc = x(1, 1.2345678L);
    d.TipVs = x(250, 251.23456L);
    d.TipUnitWeight = x(19, 19.234567L);
    d.TipPoisson = x(0.33, 0.33456789L);
    d.TipDamping = x(0.05, 0.051234567L);
    d.CGLocalX = 0.25L;
    d.CGLocalY = -0.5L;
    d.CGLocalZ = 1.5L;
    d.CBLocalX = 0.125L;
    d.CBLocalY = -0.25L;
    d.CBLocalZ = 0.75L;
    d.CBGlobalX = 10.5L;
    d.CBGlobalY = -20.25L;
    d.CBGlobalZ = 0;

    t.MassCal->SetRowCount(2);
    Row(t.MassCal, 0, {x(150, 152.34567L), x(0, -0.12345678L), x(0, -0.23456789L), x(0.5, 0.52345678L),
                       x(6, 6.2345678L), x(4, 4.2345678L), x(1, 1.2345678L)});
    Row(t.MassCal, 1, {x(50, 52.345678L), x(1, -1.2345678L), x(0.5, -0.52345678L), x(1.5, 1.5234567L),
                       x(2, 2.2345678L), x(1, 1.2345678L), x(1, 1.2345678L)});

    switch (f) {
    case Foundation::HalfSpace:
        d.FoundationWord = QStringLiteral("HALF-SPACE");
        d.FoundationCode = 1;
        d.ShapeCode = 0;
        d.LengthX = x(6, 6.2345678L);
        d.WidthY = x(4, 4.2345678L);
        t.D1->SetRowCount(2);
        Row(t.D1, 0, {x(0.5, 0.52345678L), x(160, 161.23456L), x(18, 18.234567L), x(0.3, 0.31234567L),
                      x(0.05, 0.051234567L), x(0.6, 0.61234567L)});
        Row(t.D1, 1, {x(1, 1.2345678L), x(200, 201.23456L), x(19, 19.234567L), x(0.3, 0.31234567L),
                      x(0.05, 0.051234567L), x(0.7, 0.71234567L)});
        break;
    case Foundation::Stratum:
        d.FoundationWord = QStringLiteral("STRATUM");
        d.FoundationCode = 3;
        d.ShapeCode = 1;
        d.Radius = x(3, 3.2345678L);
        d.BaseDepth = x(1, 1.2345678L);
        d.BedrockDepth = x(12, 12.345678L);
        d.TipVs = x(180, 181.23456L);
        d.TipUnitWeight = x(18, 18.234567L);
        d.TipPoisson = x(0.4, 0.41234567L);
        d.TipDamping = x(0.1, 0.11234567L);
        break;
    case Foundation::Multilayer:
        d.FoundationWord = QStringLiteral("MULTILAYER");
        d.FoundationCode = 4;
        d.ShapeCode = 1;
        d.Radius = x(1.5, 1.5234567L);
        d.PileLength = x(9, 9.2345678L);
        d.PileUnitWeight = x(24, 24.234567L);
        d.StaticLoad = x(500, 512.34567L);
        d.PilePoisson = x(0.2, 0.21234567L);
        d.PileDamping = x(0.02, 0.021234567L);
        d.ShearCoefficient = x(1.334, 1.3345678L);
        d.PileModulus = x(3e7, 31234567.0L);
        t.MultiElement->SetRowCount(3);
        for (int r = 0; r < 3; ++r)
            Row(t.MultiElement, r, {x(3, 3.2345678L), x(1.5, 1.5234567L), x(1.5, 1.5234567L), x(7.0686, 7.0686123L),
                                    x(3.976, 3.9761234L), x(3.976, 3.9761234L), x(7.952, 7.9521234L)});
        t.D->SetRowCount(2);
        Row(t.D, 0, {x(150, 151.23456L), x(17, 17.234567L), x(0.35, 0.35123456L), x(0.05, 0.051234567L),
                     x(1, 0.51234567L)});
        Row(t.D, 1, {x(180, 181.23456L), x(18, 18.234567L), x(0.35, 0.35123456L), x(0.05, 0.051234567L),
                     x(1, 0.61234567L)});
        t.Multisoil->SetRowCount(1);
        Row(t.Multisoil, 0, {x(220, 221.23456L), x(19, 19.234567L), x(0.35, 0.35123456L), x(0.05, 0.051234567L),
                             x(0.5, 0.51234567L), x(1, 1.2345678L)});
        d.TipVs = x(300, 301.23456L);
        break;
    case Foundation::Pile:
        d.FoundationWord = QStringLiteral("PILE");
        d.FoundationCode = 2;
        d.ShapeCode = 0;
        d.LengthX = x(5, 5.2345678L);
        d.WidthY = x(5, 5.2345678L);
        d.PileLength = x(12, 12.345678L);
        d.PileUnitWeight = x(24, 24.234567L);
        d.StaticLoad = x(100, 112.34567L);
        d.PilePoisson = x(0.2, 0.21234567L);
        d.PileDamping = x(0.02, 0.021234567L);
        d.ShearCoefficient = x(1.1, 1.1234567L);
        d.PileModulus = x(3e7, 31234567.0L);
        d.FixedHead = 1;
        d.EndBearing = 1;
        d.Interaction = 1;
        t.Pilecoord->SetRowCount(4);
        Row(t.Pilecoord, 0, {x(-1.5, -1.5234567L), x(-1.5, -1.5234567L), x(5, 5.2345678L)});
        Row(t.Pilecoord, 1, {x(1.5, 1.5234567L), x(-1.5, -1.5234567L), x(-5, -5.2345678L)});
        Row(t.Pilecoord, 2, {x(-1.5, -1.5234567L), x(1.5, 1.5234567L), x(5, 5.2345678L)});
        Row(t.Pilecoord, 3, {x(1.5, 1.5234567L), x(1.5, 1.5234567L), 0});
        t.Pilecoord->Cell(3, 2)->SetAsInteger(2);
        t.Pilecoord->Cell(3, 3)->SetAsInteger(2);
        t.PileData->SetRowCount(3);
        for (int r = 0; r < 3; ++r)
            Row(t.PileData, r, {x(4, 4.2345678L), x(0.25, 0.25234567L), x(0.25, 0.25234567L), x(0.19635, 0.19635123L),
                                x(0.003068, 0.0030681234L), x(0.003068, 0.0030681234L), x(0.006136, 0.0061361234L)});
        t.D->SetRowCount(3);
        for (int r = 0; r < 3; ++r)
            Row(t.D, r, {x(140 + 20 * r, 141.23456L + 20 * r), x(17, 17.234567L), x(0.4, 0.41234567L),
                         x(0.05, 0.051234567L), x(1, 0.71234567L)});
        t.pilecapsoil->SetRowCount(1);
        Row(t.pilecapsoil, 0, {x(1, 1.2345678L), x(150, 151.23456L), x(18, 18.234567L), x(0.35, 0.35123456L),
                               x(0.05, 0.051234567L), x(0.5, 0.51234567L)});
        d.TipVs = x(600, 601.23456L);
        d.TipUnitWeight = x(21, 21.234567L);
        break;
    }

    switch (l) {
    case Load::Harmonic:
        d.LoadCode = 1;
        d.QuadraticFlag = 0;
        d.FreqMax = x(50, 51.234567L);
        d.FreqMin = x(1, 1.2345678L);
        d.FreqStep = x(1, 1.2345678L);
        d.Fx = x(10, -12.345678L);
        d.Fy = x(0, -1.2345678L);
        d.Fz = x(20, -23.456789L);
        d.Mx = x(0, -3.4567891L);
        d.My = x(5, -5.6789123L);
        d.Mz = x(0, -6.7891234L);
        // With 8 digits the load-point row is longer than 80 columns.
        d.LoadPointX = x(0, -0.0012345678L);
        d.LoadPointY = x(0, -0.0023456789L);
        d.LoadPointZ = x(0.5, -0.0052345678L);
        d.LoadPointRef = 1;
        if (digits8) {
            d.CBLocalX = -0.0012345678L;
            d.CBLocalY = -0.0023456789L;
            d.CBLocalZ = -0.0034567891L;
        }
        break;
    case Load::Transient: {
        d.LoadCode = 2;
        d.PointCount = 16;
        d.TimeStep = x(0.01, 0.012345678L);
        d.LoadTypeCount = 2;
        t.TLoadtype->SetRowCount(2);
        t.TLoadtype->Cell(0, 0)->SetAsInteger(3);
        t.TLoadtype->Cell(0, 1)->SetAsInteger(5);
        std::vector<long double> blow(16, 0.0L);
        blow[1] = x(50, -51.234567L);
        blow[2] = x(100, -101.23456L);
        blow[3] = x(50, -51.234567L);
        Values(t.TLoadtype->Cell(1, 0)->GetAsTable(), blow);
        std::vector<long double> moment(16, 0.0L);
        moment[2] = x(20, -21.234567L);
        Values(t.TLoadtype->Cell(1, 1)->GetAsTable(), moment);
        break;
    }
    case Load::Random:
        d.LoadCode = 3;
        d.RandomFreqMax = x(120, 121.23456L);
        d.RandomFreqMin = x(6, 6.2345678L);
        d.PointCount = 21;
        d.ObservationPeriod = x(300, 301.23456L);
        d.LoadTypeCount = 2;
        t.Trandom->SetRowCount(2);
        t.Trandom->Cell(0, 0)->SetAsInteger(3);
        t.Trandom->Cell(0, 1)->SetAsInteger(1);
        Values(t.Trandom->Cell(1, 0)->GetAsTable(), std::vector<long double>(21, x(50, 51.234567L)));
        Values(t.Trandom->Cell(1, 1)->GetAsTable(), std::vector<long double>(21, x(20, 21.234567L)));
        break;
    }
}

// A fresh folder for the files of one test.
inline QString TempFolder(const std::string& name)
{
    const QString folder = QStringLiteral(TEST_TMP_DIR) + QStringLiteral("/") + QString::fromStdString(name);
    QDir(folder).removeRecursively();
    QDir().mkpath(folder);
    return folder;
}

inline QByteArray ReadBytes(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return file.readAll();
}

inline void WriteBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

inline std::string Text(const QByteArray& bytes) { return bytes.toStdString(); }

}  // namespace build
