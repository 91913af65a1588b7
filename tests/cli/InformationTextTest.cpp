#include "instrument/InformationText.h"

#include <gtest/gtest.h>

namespace {

TEST(InformationText, LabelsTheFirstFiveLinesAndLeavesTheRest)
{
    EXPECT_EQ(InformationText::rows("V1.2\rSN 7\r5241\r01/02/2030\r12:00:00\r*0\r"),
              (QStringList{"Version :V1.2", "SN 7", "Model :5241", "Date :01/02/2030", "Time :12:00:00", "*0"}));
    // Three lines: no date or time labels appear.
    EXPECT_EQ(InformationText::rows("V1\rx\r5600\r"), (QStringList{"Version :V1", "x", "Model :5600"}));
    EXPECT_EQ(InformationText::boxText("TIMEOUT"), "Version :TIMEOUT\r\n");
    EXPECT_EQ(InformationText::boxText(""), "Version :\r\n");
}

} // namespace
