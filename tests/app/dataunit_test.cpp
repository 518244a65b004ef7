// The project data object: defaults of a new project, the unit switch, the text routines.
#include "dataunit.h"
#include "project.h"
#include "projecttables.h"

#include <gtest/gtest.h>

TEST(ProgramData, NewProjectDefaults)
{
    TProject project;
    const TProgramData& d = project.Data();
    EXPECT_EQ(d.UnitSystem, 2);
}
