// Every number field of the data forms against the table of units: the units its label shows
// are what a switch to English converts the field's value by (tests/app/unittable.h names the
// unit of each field and why a field without units has none).
#include "forms_fixture.h"
#include "unittable.h"

#include "forms/foundationsform.h"
#include "forms/harmonicform.h"
#include "forms/massdataform.h"
#include "forms/multimatform.h"
#include "forms/pilecapform.h"
#include "forms/pilepropertiesform.h"
#include "forms/quadform.h"
#include "forms/randomform.h"
#include "forms/shapeform.h"
#include "forms/tipsoilform.h"
#include "forms/transientform.h"

#include <functional>
#include <map>

namespace {

struct FieldUnit {
    const char* caption;
    const char* units;  // the label's unit template
    units::TConversion conversion;
};

// The fields by caption (the same caption means the same field on every form).
const FieldUnit kFields[] = {
    {"X Coordinate (Xc)", "L2", units::Length},
    {"Y Coordinate (Yc)", "L2", units::Length},
    {"Z Coordinate (Zc)", "L2", units::Length},
    {"Depth from ground surface to base of foundation", "L2", units::Length},
    {"Depth from ground surface to bed rock", "L2", units::Length},
    {"Maximum Frequency", "Hz", units::Frequency},
    {"Minimum Frequency", "Hz", units::Frequency},
    {"Step frequency (incremental frequency)", "Hz", units::Frequency},
    {"Force in X-direction", "F", units::Force},
    {"Force in Y-direction", "F", units::Force},
    {"Force in Z-direction", "F", units::Force},
    {"Moment about X-axis", "F-L2", units::Moment},
    {"Moment about Y-axis", "F-L2", units::Moment},
    {"Moment about Z-axis", "F-L2", units::Moment},
    {"Force Coefficient in X-direction", "F6-L2", units::MassLength},
    {"Force Coefficient in Y-direction", "F6-L2", units::MassLength},
    {"Force Coefficient in Z-direction", "F6-L2", units::MassLength},
    {"Moment Coefficient about X-axis", "F6-L2^2", units::MassLength2},
    {"Moment Coefficient about Y-axis", "F6-L2^2", units::MassLength2},
    {"Moment Coefficient about Z-axis", "F6-L2^2", units::MassLength2},
    {"X-coordinate", "L2", units::Length},
    {"Y-coordinate", "L2", units::Length},
    {"Z-coordinate", "L2", units::Length},
    {"Mass moment of inertia about X-axis", "F6-L2^2", units::MassLength2},
    {"Mass moment of inertia about Y-axis", "F6-L2^2", units::MassLength2},
    {"Mass moment of inertia about Z-axis", "F6-L2^2", units::MassLength2},
    {"Cross product X-Y (product of inertia)", "F6-L2^2", units::MassLength2},
    {"Cross product X-Z (product of inertia)", "F6-L2^2", units::MassLength2},
    {"Cross product Y-Z (product of inertia)", "F6-L2^2", units::MassLength2},
    {"Unit weight of pile", "F/L2^3", units::UnitWeight},
    {"Poisson's ratio of the pile", "", units::Ratio},
    {"Material damping of the pile", "", units::Ratio},
    {"&Elastic modulus of the pile", "F/L2\u00b2", units::Modulus},
    {"Total length of pile", "L2", units::Length},
    {"Cross-sectional coefficient of rigidity for the effect of shear", "", units::Ratio},
    {"Cross-sectional coefficient of rigidity", "", units::Ratio},
    {"Static load on foundation", "F", units::Force},
    {"Maximum frequency", "Hz", units::Frequency},
    {"Minimum frequency", "Hz", units::Frequency},
    {"Number of points to be read", "", units::Count},
    {"Observation period", "", units::Time},
    {"Number of spectrum", "", units::Count},
    {"Radius", "L2", units::Length},
    {"Length x,", "L2", units::Length},
    {"Width y,", "L2", units::Length},
    {"Shear wave velocity", "L2/sec", units::Velocity},
    {"Unit weight", "F/L2^3", units::UnitWeight},
    {"Poisson's ratio", "", units::Ratio},
    {"Material damping", "", units::Ratio},
    {"Number of points", "", units::Count},
    {"Time interval between points", "", units::Time},
    {"Number of load type to be input", "", units::Count},
    {"Total mass (self weight only) of the foundation", "F6", units::Mass},
    {"Total mass (including equipment) of footing", "F6", units::Mass},
    {"x-coord. of C.B.", "L2", units::Length},
    {"y-coord. of C.B.", "L2", units::Length},
    {"z-coord. of C.B.", "L2", units::Length},
    {"x-coord. of C.G.", "L2", units::Length},
    {"y-coord. of C.G.", "L2", units::Length},
    {"z-coord. of C.G.", "L2", units::Length},
    {"X-coord. of C.B.", "L2", units::Length},
    {"Y-coord. of C.B.", "L2", units::Length},
    {"Z-coord. of C.B.", "L2", units::Length},
    {"Depth from ground surface to bed rock (rigid underlying layer)", "L2", units::Length},
    {"Distance from center of foundation base to center of gravity (Xc)", "L2", units::Length},
    {"Distance from center of foundation base to center of gravity (Yc)", "L2", units::Length},
    {"Height of center of gravity of foundation from the base (Zc)", "L2", units::Length},
};

// A form's label unit template as a unit template of the tables ("L2\u00b2" is "L2^2").
QString AsTableTemplate(QString units)
{
    return units.replace(QString::fromUtf8("\u00b2"), QStringLiteral("^2")).replace(QString::fromUtf8("\u00b3"), QStringLiteral("^3"));
}

class UnitFieldsTest : public FormTest {};

}  // namespace

TEST_F(UnitFieldsTest, EveryNumberFieldConvertsByTheUnitsItsLabelShows)
{
    std::map<QString, FieldUnit> byCaption;
    for (const FieldUnit& f : kFields) byCaption[QString::fromUtf8(f.caption)] = f;
    const std::vector<std::function<TDataForm*(TProject&)>> makers = {
        [](TProject& p) { return new TfrmShape(p); },          [](TProject& p) { return new TfrmMassdata(p); },
        [](TProject& p) { return new TfrmNCPileProperties(p); }, [](TProject& p) { return new TfrmCPileProperties(p); },
        [](TProject& p) { return new TfrmFoundations(p); },    [](TProject& p) { return new TfrmMultimat(p); },
        [](TProject& p) { return new TfrmTipsoil(p); },        [](TProject& p) { return new Tfrmharmonic(p); },
        [](TProject& p) { return new Tfrmtransient(p); },      [](TProject& p) { return new Tfrmrandom(p); },
        [](TProject& p) { return new TfrmQuad(p); },
    };
    int fields = 0;
    for (const auto& make : makers) {
        TProject project;
        project.Data().QuadraticFlag = 1;  // the coefficient form's fields are coefficients
        std::unique_ptr<TDataForm> form(make(project));
        if (!dynamic_cast<TfrmQuad*>(form.get())) project.Data().QuadraticFlag = 0;
        form->FormActivate();
        const QList<TDataEdit*> edits = form->findChildren<TDataEdit*>();
        // In SI every field takes 1 (a count stays a whole number).
        for (TDataEdit* edit : edits) edit->SetNumber(1);
        ASSERT_TRUE(form->Deactivate()) << form->windowTitle().toStdString();
        project.SetUnits(1);
        form->FormActivate();
        for (TDataEdit* edit : edits) {
            const QString caption = edit->Caption().trimmed();
            const std::string what = form->windowTitle().toStdString() + ": " + caption.toStdString();
            const auto it = byCaption.find(caption);
            if (it == byCaption.end()) {
                ADD_FAILURE() << what << " (" << edit->UnitsString().toStdString()
                              << ") is not in the table of fields";
                continue;
            }
            ++fields;
            const FieldUnit& f = it->second;
            EXPECT_EQ(edit->UnitsString(), QString::fromUtf8(f.units)) << what;
            // What the label says is what the switch did.
            EXPECT_NEAR(double(ColumnTypes::UnitConversionFactor(2, 1, AsTableTemplate(edit->UnitsString()))),
                        double(units::Factor(f.conversion)), 1e-12 * double(units::Factor(f.conversion)))
                << what;
            EXPECT_NEAR(double(edit->Number() / units::Factor(f.conversion)), 1.0, 1e-12) << what;
        }
    }
    EXPECT_GE(fields, 50);
}
