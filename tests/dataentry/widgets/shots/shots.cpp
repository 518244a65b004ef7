// Screenshots of the data-entry widgets: a table editor on a soil-layer table, a table with
// drop-down lists, and a small form with number fields. Run under a display (xvfb-run); the
// PNG files go to the folder named on the command line (the current folder by default).
#include "entry/datacombo.h"
#include "entry/dataedit.h"
#include "table/columntypes.h"
#include "table/tableform.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QGridLayout>
#include <QLabel>
#include <QTest>

#include <clocale>
#include <cstdio>

namespace {

bool Save(QWidget* widget, const QString& path)
{
    QTest::qWait(200);
    const bool ok = widget->grab().save(path);
    std::printf("%s %s (%dx%d)\n", ok ? "wrote" : "FAILED", qPrintable(path), widget->width(),
                widget->height());
    return ok;
}

}  // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    const QDir out(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::currentPath());
    TableForm::InstallEditor();
    bool ok = true;

    // Soil layers in SI units.
    TGridTable soil;
    soil.SetCaption(QStringLiteral("Soil Layers"));
    soil.SetTopLeft(QStringLiteral("Layer"));
    soil.SetComments(QStringLiteral("Depths are measured down from the ground surface."));
    soil.SetMinRows(1);
    soil.SetMaxRows(30);
    soil.AddFloatColumn({QStringLiteral("Top"), QStringLiteral("Depth")}, QStringLiteral("L2"))
        ->SetTopDepth(true);
    soil.AddFloatColumn({QStringLiteral("Bottom"), QStringLiteral("Depth")}, QStringLiteral("L2"));
    soil.AddFloatColumn({QStringLiteral("Unit"), QStringLiteral("Weight")}, QStringLiteral("F/L2^3"));
    soil.AddFloatColumn({QStringLiteral("Shear Wave"), QStringLiteral("Velocity")},
                        QStringLiteral("L2/SEC"));
    soil.AddFloatColumn({QStringLiteral("Poisson's"), QStringLiteral("Ratio")});
    soil.AddFloatColumn({QStringLiteral("Damping"), QStringLiteral("Ratio")});
    soil.SetUnits(2);
    soil.SetRowCount(4);
    const long double layers[4][6] = {{0, 1.5, 18, 150, 0.3, 0.05},
                                      {1.5, 4, 18.5, 210, 0.33, 0.05},
                                      {4, 9.25, 19.2, 280, 0.35, 0.04},
                                      {9.25, 15, 20, 1.0L / 3 * 1000, 0.4, 0.03}};
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 6; ++c) soil.Cell(c, r)->SetAsFloat(layers[r][c]);
    soil.ShowEditor();
    ok &= Save(dynamic_cast<QWidget*>(soil.Editor()), out.filePath(QStringLiteral("table-soil.png")));

    // A table with drop-down lists and row groups.
    TGridTable piles;
    piles.SetCaption(QStringLiteral("Pile Sections"));
    piles.SetTopLeft(QStringLiteral("Pile"));
    piles.SetMinRows(1);
    piles.SetMaxRows(0);
    piles.AddEnumColumn({QStringLiteral("Section")},
                        {QStringLiteral("Circular"), QStringLiteral("Rectangular"),
                         QStringLiteral("H-section")});
    piles.AddFloatColumn({QStringLiteral("Length")}, QStringLiteral("L2"));
    piles.AddFloatColumn({QStringLiteral("Area")}, QStringLiteral("L2^2"));
    piles.SetRowCount(12);
    for (int r = 0; r < 12; ++r) {
        piles.Cell(0, r)->SetAsInteger(r % 3 + 1);
        piles.Cell(1, r)->SetAsFloat(10 + r);
        piles.Cell(2, r)->SetAsFloat(0.25L + r / 100.0L);
    }
    piles.ShowEditor();
    ok &= Save(dynamic_cast<QWidget*>(piles.Editor()), out.filePath(QStringLiteral("table-piles.png")));

    // A small form with number fields.
    QWidget form;
    form.setWindowTitle(QStringLiteral("Soil Below Footing"));
    auto* grid = new QGridLayout(&form);
    struct Field {
        const char* caption;
        const char* units;
        long double value;
        bool integer;
    };
    const Field fields[] = {{"Unit weight", "F/L2^3", 18.5L, false},
                            {"Shear wave velocity", "L2/F5", 250, false},
                            {"Poisson's ratio", "", 0.33L, false},
                            {"Depth of stratum", "L2", 12.5L, false},
                            {"Number of layers", "", 4, true}};
    int row = 0;
    for (const Field& f : fields) {
        auto* label = new QLabel(&form);
        auto* edit = new TDataEdit(&form);
        edit->SetEditLabel(label);
        edit->SetCaption(QString::fromLatin1(f.caption));
        edit->SetUnitsString(QString::fromLatin1(f.units));
        edit->SetUnits(2);
        edit->SetIntegerOnly(f.integer);
        edit->SetMinVal(0);
        edit->SetNumber(f.value);
        grid->addWidget(label, row, 0);
        grid->addWidget(edit, row, 1);
        ++row;
    }
    auto* comboLabel = new QLabel(&form);
    auto* combo = new TDataCombo(&form);
    combo->addItems({QStringLiteral("Fine"), QStringLiteral("Coarse")});
    combo->Values() << QStringLiteral("20") << QStringLiteral("5");
    combo->SetMaxVal(100);
    combo->SetEditLabel(comboLabel);
    combo->SetCaption(QStringLiteral("Grid spacing"));
    combo->SetUnitsString(QStringLiteral("L"));
    combo->SetUnits(1);
    combo->SetNumber(20);
    grid->addWidget(comboLabel, row, 0);
    grid->addWidget(combo, row, 1);
    ++row;
    grid->addWidget(new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &form),
                    row, 0, 1, 2);
    form.show();
    ok &= Save(&form, out.filePath(QStringLiteral("form-dataedit.png")));
    return ok ? 0 : 1;
}
