// The "Col" stream of the grid tables: typed values, 80-bit reals, column records in both
// directions, older records and the reader's errors.
#include "table/columntypes.h"
#include "table/table.h"
#include "qt_test.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <random>

namespace {

QByteArray Bytes(std::initializer_list<int> values)
{
    QByteArray b;
    for (int v : values) b.append(static_cast<char>(v));
    return b;
}

QByteArray Text(const char* s)
{
    QByteArray b;
    b.append(static_cast<char>(6));
    b.append(static_cast<char>(std::strlen(s)));
    b.append(s);
    return b;
}

QString Hex(const QByteArray& b) { return QString::fromLatin1(b.toHex(' ')); }

using TestSupport::MessageOf;

// The worked example: one float column "Mass", visible, no group value, no top depth,
// template F6, default 0.
const QByteArray kMassStream = Bytes({0x02, 0x01, 0x02, 0x02, 0x01}) + Text("Mass") +
                               Bytes({0x00, 0x09, 0x08, 0x08}) + Text("FLOATCOLUMN2") + Text("F6") +
                               Bytes({0x05, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});

}  // namespace

TEST(ColStream, WorkedExampleIsWrittenByteForByte)
{
    TGridTable table;
    TFloatColumn* mass = table.AddFloatColumn({QStringLiteral("Mass")}, QStringLiteral("F6"));
    ASSERT_NE(mass, nullptr);
    EXPECT_EQ(Hex(table.SaveColumns()), Hex(kMassStream));
}

TEST(ColStream, WorkedExampleReadsBackAndWritesTheSameBytes)
{
    TGridTable table;
    table.LoadColumns(kMassStream);
    ASSERT_EQ(table.ColumnCount(), 1);
    auto* mass = dynamic_cast<TFloatColumn*>(table.GetColumn(0));
    ASSERT_NE(mass, nullptr);
    EXPECT_EQ(mass->Captions(), QStringList{QStringLiteral("Mass")});
    EXPECT_TRUE(mass->Visible());
    EXPECT_FALSE(mass->GroupValue());
    EXPECT_FALSE(mass->TopDepth());
    EXPECT_EQ(mass->UnitTemplate(), QStringLiteral("F6"));
    EXPECT_EQ(mass->DefaultValue(), 0.0L);
    EXPECT_EQ(table.RowCount(), 0);  // column records hold no row data
    EXPECT_EQ(Hex(table.SaveColumns()), Hex(kMassStream));
}

TEST(ColStream, IntegersTakeTheShortestTag)
{
    struct Case {
        int32_t value;
        QByteArray bytes;
    };
    const Case cases[] = {
        {0, Bytes({2, 0})},
        {-1, Bytes({2, 0xFF})},
        {127, Bytes({2, 0x7F})},
        {-128, Bytes({2, 0x80})},
        {128, Bytes({3, 0x80, 0x00})},
        {-129, Bytes({3, 0x7F, 0xFF})},
        {32767, Bytes({3, 0xFF, 0x7F})},
        {-32768, Bytes({3, 0x00, 0x80})},
        {32768, Bytes({4, 0x00, 0x80, 0x00, 0x00})},
        {std::numeric_limits<int32_t>::min(), Bytes({4, 0x00, 0x00, 0x00, 0x80})},
        {std::numeric_limits<int32_t>::max(), Bytes({4, 0xFF, 0xFF, 0xFF, 0x7F})},
    };
    for (const Case& c : cases) {
        TWriter writer;
        writer.WriteInteger(c.value);
        EXPECT_EQ(Hex(writer.Data()), Hex(c.bytes)) << c.value;
        TReader reader(c.bytes);
        EXPECT_EQ(reader.ReadInteger(), c.value);
        EXPECT_TRUE(reader.AtEnd());
    }
}

TEST(ColStream, ExtendedValuesAreEncodedExplicitly)
{
    struct Case {
        long double value;
        QByteArray bytes;
    };
    // Significand with explicit integer bit (little-endian), then sign and biased exponent.
    const Case cases[] = {
        {1.0L, Bytes({0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x3F})},
        {-2.5L, Bytes({0, 0, 0, 0, 0, 0, 0, 0xA0, 0x00, 0xC0})},
        {0.0L, Bytes({0, 0, 0, 0, 0, 0, 0, 0, 0, 0})},
        {0.5L, Bytes({0, 0, 0, 0, 0, 0, 0, 0x80, 0xFE, 0x3F})},
        {std::numeric_limits<long double>::infinity(), Bytes({0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x7F})},
    };
    for (const Case& c : cases) {
        unsigned char bytes[10];
        Table::EncodeExtended(c.value, bytes);
        EXPECT_EQ(Hex(QByteArray(reinterpret_cast<const char*>(bytes), 10)), Hex(c.bytes));
        EXPECT_EQ(Table::DecodeExtended(reinterpret_cast<const unsigned char*>(c.bytes.constData())), c.value);
    }
    unsigned char nanBytes[10];
    Table::EncodeExtended(std::numeric_limits<long double>::quiet_NaN(), nanBytes);
    EXPECT_TRUE(std::isnan(Table::DecodeExtended(nanBytes)));
}

TEST(ColStream, ExtendedValuesMatchTheMachineFormatAndRoundTrip)
{
    // On x86-64 long double is the 80-bit format itself: the explicit encoding must agree with
    // its memory image for ordinary, tiny and denormal values.
    static_assert(std::numeric_limits<long double>::digits == 64);
    std::mt19937_64 random(42);
    std::uniform_real_distribution<double> mantissa(-1.0, 1.0);
    std::uniform_int_distribution<int> exponent(-16440, 16380);
    std::vector<long double> values = {0.1L, -1.0L / 3.0L, 224.8089237L, std::numeric_limits<long double>::min(),
                                       std::numeric_limits<long double>::denorm_min(),
                                       std::numeric_limits<long double>::max(), -0.0L};
    for (int i = 0; i < 2000; ++i) values.push_back(std::ldexp(static_cast<long double>(mantissa(random)), exponent(random)));
    for (long double v : values) {
        unsigned char encoded[10];
        Table::EncodeExtended(v, encoded);
        unsigned char image[16] = {};
        std::memcpy(image, &v, sizeof v);
        ASSERT_EQ(std::memcmp(encoded, image, 10), 0) << static_cast<double>(v);
        const long double back = Table::DecodeExtended(encoded);
        ASSERT_EQ(back, v);
        ASSERT_EQ(std::signbit(back), std::signbit(v));
    }
}

TEST(ColStream, TextTagsDependOnLengthAndCharacters)
{
    TWriter writer;
    writer.WriteString(QString(255, QLatin1Char('a')));
    writer.WriteString(QString(256, QLatin1Char('b')));
    writer.WriteString(QStringLiteral("Poisson\u00e9"));   // Latin-1
    writer.WriteString(QStringLiteral("\u0394 depth"));    // beyond Latin-1
    const QByteArray& data = writer.Data();
    EXPECT_EQ(static_cast<uint8_t>(data[0]), 6);
    EXPECT_EQ(static_cast<uint8_t>(data[1]), 255);
    EXPECT_EQ(static_cast<uint8_t>(data[257]), 12);
    EXPECT_EQ(Hex(data.mid(258, 4)), QStringLiteral("00 01 00 00"));
    TReader reader(data);
    EXPECT_EQ(reader.ReadString(), QString(255, QLatin1Char('a')));
    EXPECT_EQ(reader.ReadString(), QString(256, QLatin1Char('b')));
    EXPECT_EQ(reader.ReadString(), QStringLiteral("Poisson\u00e9"));
    EXPECT_EQ(reader.ReadString(), QStringLiteral("\u0394 depth"));
    EXPECT_TRUE(reader.AtEnd());
}

TEST(ColStream, EveryColumnClassRoundTrips)
{
    TGridTable source;
    TEnumColumn* kinds = source.AddEnumColumn({QStringLiteral("Load type")},
                                              {QStringLiteral("Force"), QStringLiteral("Moment")});
    kinds->SetGroupValue(true);
    TIntColumn* count = source.AddIntColumn({QStringLiteral("Count")}, -5, 40000, 7);
    TFloatColumn* depth = source.AddFloatColumn({QStringLiteral("Top"), QStringLiteral("depth")}, QStringLiteral("L2"));
    depth->SetTopDepth(true);
    depth->SetDefaultValue(-1.0L / 3.0L);
    source.AddFloatColumn({QStringLiteral("Bottom")}, QStringLiteral("L2"), false);
    TStringColumn* note = source.AddStringColumn({QStringLiteral("Note")}, QStringLiteral("none"));
    note->SetWidth(1.75L);
    TGridTable templateTable;
    templateTable.SetIdentifier(700);
    source.AddTableColumn({QStringLiteral("Amplitudes")}, 700);

    const QByteArray stream = source.SaveColumns();
    TGridTable copy;
    copy.LoadColumns(stream);
    ASSERT_EQ(copy.ColumnCount(), 6);
    const int expectedIds[] = {0, 1, 2, 2, 4, 3};
    for (int c = 0; c < 6; ++c) EXPECT_EQ(Table::ColumnTypeId(copy.GetColumn(c)->ColumnClass()), expectedIds[c]);
    auto* e = dynamic_cast<TEnumColumn*>(copy.GetColumn(0));
    EXPECT_EQ(e->Items(), kinds->Items());
    EXPECT_TRUE(e->GroupValue());
    auto* i = dynamic_cast<TIntColumn*>(copy.GetColumn(1));
    EXPECT_EQ(i->DefaultValue(), count->DefaultValue());
    EXPECT_EQ(i->Minimum(), -5);
    EXPECT_EQ(i->Maximum(), 40000);
    auto* f = dynamic_cast<TFloatColumn*>(copy.GetColumn(2));
    EXPECT_TRUE(f->TopDepth());
    EXPECT_EQ(f->DefaultValue(), -1.0L / 3.0L);
    EXPECT_EQ(f->Captions().size(), 2);
    EXPECT_FALSE(copy.GetColumn(3)->Visible());
    auto* s = dynamic_cast<TStringColumn*>(copy.GetColumn(4));
    EXPECT_EQ(s->DefaultText(), QStringLiteral("none"));
    EXPECT_EQ(s->Width(), 1.75L);
    auto* t = dynamic_cast<TTableColumn*>(copy.GetColumn(5));
    ASSERT_EQ(t->Templates().Count(), 2);  // one per item of the enumeration in column 0
    EXPECT_EQ(t->Templates().GetTable(0), &templateTable);
    EXPECT_EQ(t->Templates().GetTable(1), &templateTable);
    EXPECT_EQ(Hex(copy.SaveColumns()), Hex(stream));
}

TEST(ColStream, UnresolvedTemplatesAreWrittenAsMinusOne)
{
    TGridTable table;
    TTableColumn* column = table.AddTableColumn({QStringLiteral("Data")}, 123456);  // no such table
    ASSERT_EQ(column->Templates().Count(), 1);
    const QByteArray stream = table.SaveColumns();
    const QByteArray tail = Text("FLEXCOLUMN2") + Bytes({0x01, 0x02, 0xFF, 0x00});
    EXPECT_TRUE(stream.endsWith(tail)) << Hex(stream).toStdString();
}

TEST(ColStream, OlderFloatRecordHoldsOnlyTheTemplate)
{
    const QByteArray stream = Bytes({2, 1, 2, 2, 1}) + Text("Depth") + Bytes({0, 9, 8, 9}) + Text("L2");
    TGridTable table;
    table.LoadColumns(stream);
    auto* column = dynamic_cast<TFloatColumn*>(table.GetColumn(0));
    ASSERT_NE(column, nullptr);
    EXPECT_TRUE(column->TopDepth());
    EXPECT_EQ(column->UnitTemplate(), QStringLiteral("L2"));
    EXPECT_EQ(column->DefaultValue(), 0.0L);
    // Written again in the newer form.
    EXPECT_TRUE(table.SaveColumns().contains(Text("FLOATCOLUMN2")));
}

namespace {

// An enumeration column of three items followed by an older table-column record naming v.
QByteArray EnumThenOlderTableColumn(int v)
{
    return Bytes({2, 2, 2, 0, 1}) + Text("Kind") + Bytes({0, 9, 8, 1}) + Text("A") + Text("B") + Text("C") +
           Bytes({0, 2, 3, 1}) + Text("Data") + Bytes({0, 9, 8}) + Text("OLDFLEX") + Bytes({2, v});
}

}  // namespace

TEST(ColStream, OlderTableRecordAfterEnumRefersToItemNumbers)
{
    TGridTable table;
    table.LoadColumns(EnumThenOlderTableColumn(5));
    auto* column = dynamic_cast<TTableColumn*>(table.GetColumn(1));
    ASSERT_NE(column, nullptr);
    ASSERT_EQ(column->Templates().Count(), 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(column->Templates().IsIdentifier(i));
        EXPECT_EQ(column->Templates().Value(i), i + 1);
    }
}

TEST(ColStream, OlderTableRecordWithHardwiredButtonRefersToOnePosition)
{
    TGridTable table;
    table.SetHardwiredButton(true);
    table.LoadColumns(EnumThenOlderTableColumn(5));
    auto* column = dynamic_cast<TTableColumn*>(table.GetColumn(1));
    ASSERT_EQ(column->Templates().Count(), 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_FALSE(column->Templates().IsIdentifier(i));
        EXPECT_EQ(column->Templates().GetIndex(i), 5);
    }

    // As the only column: one reference to the position.
    TGridTable single;
    single.LoadColumns(Bytes({2, 1, 2, 3, 1, 0, 9, 8}) + Text("X") + Bytes({2, 4}));
    auto* only = dynamic_cast<TTableColumn*>(single.GetColumn(0));
    ASSERT_EQ(only->Templates().Count(), 1);
    EXPECT_EQ(only->Templates().GetIndex(0), 4);
}

TEST(ColStream, RowsOfAnEnumTableGetCopiesOfTheTemplate)
{
    TGridTable templateTable;
    templateTable.SetIdentifier(8);
    templateTable.SetCaption(QStringLiteral("Load Amplitude"));
    templateTable.AddFloatColumn({QStringLiteral("Load Amplitude")}, QStringLiteral("F"));

    QByteArray stream = Bytes({2, 2, 2, 0, 1}) + Text("Load type") + Bytes({0, 9, 8, 1});
    for (const char* item : {"X", "Y", "Z", "MX", "MY", "MZ"}) stream += Text(item);
    stream += Bytes({0, 2, 3, 1}) + Text("Load amplitude") + Bytes({0, 9, 8}) + Text("FLEXCOLUMN2") + Bytes({1});
    for (int i = 0; i < 6; ++i) stream += Bytes({2, 8});
    stream += Bytes({0});

    TGridTable loads;
    loads.LoadColumns(stream);
    loads.SetRowCount(3);
    for (int row = 0; row < 3; ++row) {
        TGridTable* sub = loads.Cell(1, row)->GetAsTable();
        ASSERT_NE(sub, nullptr);
        EXPECT_EQ(sub->TemplateTable(), &templateTable);
        EXPECT_EQ(sub->Caption(), QStringLiteral("Load Amplitude"));
        EXPECT_EQ(sub->Number(), row + 1);
        EXPECT_EQ(sub->ColumnCount(), 1);
        EXPECT_EQ(sub->RowCount(), 1);
        EXPECT_EQ(sub->parent(), &loads);
    }
    EXPECT_NE(loads.Cell(1, 0)->GetAsTable(), loads.Cell(1, 1)->GetAsTable());
}

TEST(ColStream, ReaderErrorsNameTheColumn)
{
    struct Case {
        QByteArray stream;
        const char* message;
        int columnsLeft;
    };
    const Case cases[] = {
        {QByteArray(), "Error reading column count", 0},
        {Bytes({6, 1, 'x'}), "Error reading column count", 0},
        {Bytes({2, 1, 2, 7}), "Error occured when creating column 0: Error Column Class not defined", 0},
        {Bytes({2, 1, 2, 5}), "Error occured when creating column 0: Error Column Class not defined", 0},
        {Bytes({2, 2}) + kMassStream.mid(2),
         "Error occured when creating column 1: Stream read error", 1},
        {Bytes({2, 1, 2, 2, 1, 0, 9, 8, 2}), "Error occured when creating column 0: Invalid property value", 0},
    };
    for (const Case& c : cases) {
        TGridTable table;
        EXPECT_EQ(MessageOf([&] { table.LoadColumns(c.stream); }), c.message) << Hex(c.stream).toStdString();
        EXPECT_EQ(table.ColumnCount(), c.columnsLeft);
    }
}

TEST(ColStream, EmptyColumnListGivesATableWithoutColumns)
{
    int made = 0;
    TGridTable::SetEditorFactory([&](TGridTable*, bool) -> TTableEditor* {
        ++made;
        return nullptr;
    });
    TGridTable table;
    table.LoadColumns(Bytes({2, 0}));
    EXPECT_EQ(table.ColumnCount(), 0);
    table.ShowEditor();
    EXPECT_EQ(made, 0);
    TGridTable::SetEditorFactory(nullptr);
    EXPECT_EQ(Hex(table.SaveColumns()), QStringLiteral("02 00"));
}
