// A unit switch changes the numbers, never the foundation: every bundled example and a project
// of every foundation and load type, switched to the other unit system through the project's own
// SetUnits, saved and run through the real engine, gives the impedance, the response and the
// spectra of the original once they are converted back.
//
// What may differ, and by how much. Two constants of the unit systems are not exact conversions:
// - the gravity constant of each system, 9.8 m/s2 and 32.2 ft/s2 = 9.814564 m/s2, with which the
//   engine turns every unit weight into a mass density: soil and pile densities, and with them
//   every soil modulus G = rho Vs^2, come out 9.8 / 9.814564 = 0.998516 of the original in
//   English units (0.148 %);
// - the mass factor of the project data and of the mass table, 68.364249 slug per Mg against
//   the 68.52177 of the force and length factors: masses, inertias and unbalanced-mass load
//   coefficients come out 0.997701 of the original in English units (0.230 %).
// A footing's impedance is the soil modulus times functions of the frequency, Poisson's ratio
// and damping, so a switched footing's impedance lies within 0.15 % of the original's
// (kImpedanceTolerance). A pile or a shaft has a stiffness of its own that no constant scales,
// and near its resonances its impedance moves by more (1 % in the pile cases here); the response
// depends on the masses too, and near a resonance it turns a 0.1 % change of the ratio of
// stiffness to mass into several times that (0.9 % on the torsion of a footing): no tolerance is
// both safe there and tight elsewhere. So every result is also compared, and the response and
// the spectra only, with the original run again with exactly these two constants' effects (its
// gravity line the other system's constant in its own units, its masses, inertias and
// unbalanced-mass coefficients scaled by the ratio of the mass factors): that run and the
// switched one describe the same physical foundation and must agree to the digits the report
// prints (half a unit in the last printed digit of each value) and to the single-precision
// arithmetic of the engine (kArithmetic). Any quantity converted by a wrong factor misses by that
// factor's size (3.28 for a length, 224.8 for a force, a square where a plain factor belongs):
// orders of magnitude beyond either bound.
// Values that are nothing but round-off (a coupling term of a symmetric footing) are compared
// against the largest of their kind in the run (kRoundOff) instead of against themselves.
#include "projectbuild.h"
#include "projectfile.h"

#include "engine_harness.h"
#include "table/unittemplates.h"

#include <gtest/gtest.h>

#include <QRegularExpression>
#include <QStringList>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

using namespace build;

namespace {

constexpr double kImpedanceTolerance = 1.5e-3;
constexpr double kArithmetic = 5e-5;
constexpr double kRoundOff = 1e-5;

// The two constants (see above), English per SI.
constexpr long double kGravityEnglish = 32.2L;
constexpr long double kGravitySi = 9.8L;
constexpr long double kConsistentSlugPerMg = ColumnTypes::kLbsPerKN / ColumnTypes::kFtPerM;

struct Value {
    std::string name;   // e.g. "KXX", "UOY", "S1", "MAX 4"
    double value;
    double halfUlp;     // half a unit in the last digit printed
    int force, length;  // the value's unit: force^force x length^length
    bool series = false;  // a point of a time history (transient response)
};

// What a value's round-off is measured against: the largest value of the same kind in the run.
// The six maximum displacements of a random load count as one kind (a foundation that does not
// rotate still shows rotations of round-off, with no true rotation to measure them against; a
// rotation in radians is set against a translation in the length unit, that is per unit length).
std::string Kind(const std::string& name) { return name.rfind("MAX ", 0) == 0 ? "MAX" : name; }

// A number of the report with half a unit of its last digit.
bool Parse(const QString& text, double& value, double& halfUlp)
{
    bool ok = false;
    value = text.toDouble(&ok);
    if (!ok) return false;
    const qsizetype e = text.indexOf(QLatin1Char('E'));
    const QString mantissa = e < 0 ? text : text.left(e);
    const int exponent = e < 0 ? 0 : text.mid(e + 1).toInt();
    const qsizetype point = mantissa.indexOf(QLatin1Char('.'));
    const int decimals = point < 0 ? 0 : int(mantissa.size() - point - 1);
    halfUlp = 0.5 * std::pow(10.0, exponent - decimals);
    return true;
}

// Every result of a report, in the order the report prints them, with its unit: the stiffness
// and damping constants of every frequency, the response amplitudes (of a harmonic or transient
// load), the maximum displacements and the two response spectra (of a random load).
std::vector<Value> Results(const std::string& report)
{
    std::vector<Value> out;
    static const QRegularExpression constant(
        QStringLiteral("\\(([KC])(XX|YY|WW|PPX|PPY|ZT|XP|YP)\\)[ .]*(-?\\d\\.\\d+E[+-]\\d+)"));
    enum { None, Response, Peaks, Translation, Rotation } section = None;
    for (const std::string& line : harness::split_lines(report)) {
        const QString text = QString::fromStdString(line);
        if (const QRegularExpressionMatch m = constant.match(text); m.hasMatch()) {
            const QString kind = m.captured(2);
            // Per length (translation), per radian (rotation, a moment) or coupling (force per radian).
            const bool translation = kind == QLatin1String("XX") || kind == QLatin1String("YY") || kind == QLatin1String("WW");
            const bool coupling = kind == QLatin1String("XP") || kind == QLatin1String("YP");
            Value v{(m.captured(1) + kind).toStdString(), 0, 0, 1, translation ? -1 : coupling ? 0 : 1};
            Parse(m.captured(3), v.value, v.halfUlp);
            out.push_back(v);
            continue;
        }
        if (line.find("FOOTING RESPONSE AMPLITUDES") != std::string::npos) section = Response;
        else if (line.find("PEAK FACTOR (G)") != std::string::npos) section = Peaks;
        else if (line.find("RESPONSE SPECTRA CURVE OF TRANSLATION") != std::string::npos) section = Translation;
        else if (line.find("RESPONSE SPECTRA CURVE OF ROTATION") != std::string::npos) section = Rotation;
        if (section == None) continue;
        const QStringList words = text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        std::vector<Value> numbers;
        for (const QString& w : words) {
            Value v{std::string(), 0, 0, 0, 0};
            if (!Parse(w, v.value, v.halfUlp)) {
                numbers.clear();
                break;
            }
            numbers.push_back(v);
        }
        if (numbers.empty()) continue;
        auto take = [&](const Value& from, const std::string& name, int length) {
            Value v = from;
            v.name = name;
            v.length = length;
            out.push_back(v);
        };
        if (section == Response && numbers.size() >= 7) {
            // The time (a transient load) or two frequencies (a harmonic one) first, then UOX, UOY,
            // UOZ in lengths and EPOX, EPOY, EPOZ in radians.
            static const char* names[6] = {"UOX", "UOY", "UOZ", "EPOX", "EPOY", "EPOZ"};
            for (int i = 0; i < 6; ++i) {
                take(numbers[numbers.size() - 6 + i], names[i], i < 3 ? 1 : 0);
                out.back().series = numbers.size() == 7;
            }
        } else if (section == Peaks && numbers.size() == 3) {
            const int dof = int(numbers[0].value);
            take(numbers[2], "MAX " + std::to_string(dof), dof <= 3 ? 1 : 0);
        } else if ((section == Translation || section == Rotation) && numbers.size() == 2) {
            // A response spectrum: length^2 s/rad, or rad^2 s/rad.
            take(numbers[1], section == Translation ? "S1" : "S5", section == Translation ? 2 : 0);
        }
    }
    return out;
}

// English per SI of force^f x length^l.
long double Factor(int force, int length)
{
    return std::pow(ColumnTypes::kLbsPerKN, force) * std::pow(ColumnTypes::kFtPerM, length);
}

std::string Num(double v)
{
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.6g", v);
    return buffer;
}

struct Comparison {
    std::string failures;
    double worst = 0;  // the largest relative difference of a value above round-off
    std::string worstName;
};

// The switched run's values brought back to the units of `expected` and set against them:
// within `tolerance` of each value, or, with a tolerance of 0, within the printed digits of both
// and the engine's arithmetic. `only` picks the names compared (all when empty).
Comparison Compare(const std::vector<Value>& expected, const std::vector<Value>& switched, int expectedUnits,
                   double tolerance, bool (*only)(const std::string&) = nullptr)
{
    Comparison c;
    if (expected.size() != switched.size()) {
        c.failures = "the reports hold " + std::to_string(expected.size()) + " and " +
                     std::to_string(switched.size()) + " results";
        return c;
    }
    std::map<std::string, double> largest;
    for (const Value& v : expected) largest[Kind(v.name)] = std::max(largest[Kind(v.name)], std::fabs(v.value));
    // A response spectrum whose maximum displacement is round-off is round-off all through.
    std::map<std::string, bool> roundOff;
    for (const Value& v : expected)
        if (v.name == "MAX 1" || v.name == "MAX 5")
            roundOff[v.name == "MAX 1" ? "S1" : "S5"] = std::fabs(v.value) <= kRoundOff * largest[Kind(v.name)];
    int shown = 0;
    for (size_t i = 0; i < expected.size(); ++i) {
        const Value& a = expected[i];
        const Value& b = switched[i];
        if (a.name != b.name) {
            c.failures = "result " + std::to_string(i) + " is " + a.name + " in one report, " + b.name + " in the other";
            return c;
        }
        if ((only && !only(a.name)) || roundOff[a.name]) continue;
        const long double toExpected =
            expectedUnits == 2 ? 1.0L / Factor(a.force, a.length) : Factor(a.force, a.length);
        const double back = double(b.value * toExpected);
        const double size = std::max(std::fabs(a.value), std::fabs(back));
        const double top = largest[Kind(a.name)];
        // A point of a time history is a sum over the whole spectrum: its arithmetic is that of
        // the largest of the history.
        const double arithmetic = kArithmetic * (a.series ? top : size);
        const double bound = tolerance > 0 ? tolerance * size + kRoundOff * top
                                           : a.halfUlp + double(b.halfUlp * toExpected) + arithmetic + kRoundOff * top;
        const double difference = std::fabs(back - a.value);
        if (size > kRoundOff * top && difference / size > c.worst) {
            c.worst = difference / size;
            c.worstName = a.name;
        }
        if (difference > bound && shown++ < 5)
            c.failures += a.name + " #" + std::to_string(i) + ": expected " + Num(a.value) + ", switched and converted back " +
                          Num(back) + " (" + Num(b.value) + ")\n";
    }
    return c;
}

bool IsImpedance(const std::string& name) { return name[0] == 'K' || name[0] == 'C'; }

struct Files {
    std::string project, mass;
};

Files Saved(TProject& project, const QString& path)
{
    project.SaveAs(path);
    return {Text(ReadBytes(path)), Text(ReadBytes(ProjectFile::ChangeFileExt(path, QStringLiteral(".tmm"))))};
}

harness::EngineRun Run(const Files& files)
{
    harness::RunOptions options;
    options.mass_file = files.mass;
    return harness::run_engine(files.project, options);
}

// The values of a deck line multiplied by a factor.
QString Scaled(const QString& line, long double factor)
{
    QStringList values = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    for (QString& v : values) v = DataUnit::FormatValue(NumText::StrToFloat(v) * factor);
    return values.join(QLatin1Char(' ')) + (line.endsWith(QLatin1Char(' ')) ? QStringLiteral(" ") : QString());
}

// The original deck with what the other unit system's two constants do (see above): its gravity
// that of the other system, its masses and inertias, and the coefficients of an unbalanced-mass
// load, as the mass factor makes them.
std::string Explained(const std::string& deck, int units)
{
    const bool si = units == 2;
    const long double gravity = si ? kGravityEnglish / ColumnTypes::kFtPerM : kGravitySi * ColumnTypes::kFtPerM;
    const long double mass = si ? ColumnTypes::kSlugPerMg / kConsistentSlugPerMg : kConsistentSlugPerMg / ColumnTypes::kSlugPerMg;
    const QString text = QString::fromStdString(deck);
    const QString end = text.contains(QStringLiteral("\r\n")) ? QStringLiteral("\r\n") : QStringLiteral("\n");
    QStringList lines = text.split(end);
    bool quadratic = false;
    for (int i = 0; i < lines.size(); ++i) {
        if (lines[i].startsWith(QLatin1String("GRAVITY="))) lines[i] = QStringLiteral("GRAVITY=") + DataUnit::FormatValue(gravity);
        if (lines[i] == QLatin1String("MASS ") && i + 1 < lines.size()) lines[i + 1] = Scaled(lines[i + 1], mass);
        if (lines[i] == QLatin1String("QUADRATIC ") && i + 3 < lines.size()) {
            // The frequencies, then the force and moment coefficients.
            lines[i + 2] = Scaled(lines[i + 2], mass);
            lines[i + 3] = Scaled(lines[i + 3], mass);
            quadratic = true;
        }
    }
    EXPECT_EQ(quadratic, text.contains(end + QStringLiteral("QUADRATIC ") + end));
    return lines.join(end).toStdString();
}

// The original and its switched copy through the engine; `what` names the case.
void ExpectSameResults(const Files& original, int originalUnits, const QString& switchedFrom, const std::string& what)
{
    TProject project;
    project.Open(switchedFrom);
    ASSERT_EQ(project.Data().UnitSystem, originalUnits) << what;
    const bool footing = project.Data().FoundationCode == 1 || project.Data().FoundationCode == 3;
    const int other = originalUnits == 1 ? 2 : 1;
    project.SetUnits(other);
    ASSERT_EQ(project.Data().UnitSystem, other);
    const Files switched =
        Saved(project, ProjectFile::ChangeFileExt(switchedFrom, QStringLiteral(".")) + QStringLiteral("switched.tmx"));
    ASSERT_NE(switched.project.find(other == 1 ? "GRAVITY=32.2" : "GRAVITY=9.8"), std::string::npos) << what;

    const harness::EngineRun plain = Run(original);
    const harness::EngineRun explained = Run({Explained(original.project, originalUnits), original.mass});
    const harness::EngineRun after = Run(switched);
    for (const harness::EngineRun* run : {&plain, &explained, &after}) ASSERT_EQ(run->result, 0) << what << "\n" << run->report;
    const std::vector<Value> a = Results(plain.report);
    const std::vector<Value> e = Results(explained.report);
    const std::vector<Value> b = Results(after.report);
    ASSERT_GE(a.size(), 6u) << what << ": no results found in the report";
    const std::string direction = other == 1 ? " switched to English:\n" : " switched to SI:\n";
    const Comparison impedance = Compare(a, b, originalUnits, kImpedanceTolerance, IsImpedance);
    if (footing) {
        EXPECT_TRUE(impedance.failures.empty()) << what << direction << impedance.failures;
    }
    const Comparison all = Compare(e, b, originalUnits, 0);
    EXPECT_TRUE(all.failures.empty()) << what << direction << "(against the original with the two constants' effects)\n"
                                      << all.failures;
    const Comparison response = Compare(a, b, originalUnits, 1);
    std::printf("%-32s %4zu results; impedance within %.3f %% (%s), the rest of the original within %.3f %% (%s); "
                "the explained run within %.4f %% (%s)\n",
                what.c_str(), a.size(), 100 * impedance.worst, impedance.worstName.c_str(), 100 * response.worst,
                response.worstName.c_str(), 100 * all.worst, all.worstName.c_str());
}

}  // namespace

TEST(UnitInvariance, EveryExampleSwitchedToTheOtherUnitsGivesTheSameResults)
{
    const QDir examples(QStringLiteral(TREMEX_SOURCE_DIR) + QStringLiteral("/examples"));
    const QStringList decks = examples.entryList({QStringLiteral("*.tmx")}, QDir::Files, QDir::Name);
    ASSERT_GE(decks.size(), 7);
    for (const QString& deck : decks) {
        const QString name = deck.chopped(4);
        const QString folder = TempFolder("invariance-" + name.toStdString());
        const QString copy = folder + QStringLiteral("/") + deck;
        const QString mass = folder + QStringLiteral("/") + name + QStringLiteral(".tmm");
        ASSERT_TRUE(QFile::copy(examples.filePath(deck), copy));
        ASSERT_TRUE(QFile::copy(examples.filePath(name + QStringLiteral(".tmm")), mass));
        // The original is the example as it stands.
        const Files original{Text(ReadBytes(copy)), Text(ReadBytes(mass))};
        const int units = original.project.find("GRAVITY=32.2") != std::string::npos ? 1 : 2;
        ExpectSameResults(original, units, copy, name.toStdString());
    }
}

TEST(UnitInvariance, EveryFoundationAndLoadTypeSwitchedToEnglishGivesTheSameResults)
{
    for (const Foundation foundation :
         {Foundation::HalfSpace, Foundation::Pile, Foundation::Stratum, Foundation::Multilayer}) {
        for (const Load load : {Load::Harmonic, Load::Transient, Load::Random}) {
            for (const bool quadratic : {false, true}) {
                if (quadratic && load != Load::Harmonic) continue;
                const std::string what =
                    std::string(Name(foundation)) + "-" + Name(load) + (quadratic ? "-quadratic" : "");
                TProject project;
                Fill(project, foundation, load);
                project.Data().QuadraticFlag = quadratic ? 1 : 0;
                if (load == Load::Random) {
                    // A moment spectrum (about y) beside the force spectrum.
                    project.Tables().Trandom->Cell(0, 1)->SetAsInteger(5);
                    Values(project.Tables().Trandom->Cell(1, 1)->GetAsTable(), std::vector<long double>(21, 20.0L));
                }
                const QString path = TempFolder("invariance-" + what) + QStringLiteral("/original.tmx");
                const Files original = Saved(project, path);
                ExpectSameResults(original, 2, path, what);
            }
        }
    }
}
