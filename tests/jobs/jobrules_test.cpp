#include "jobs/jobediting.h"

#include <gtest/gtest.h>

using namespace bkp;

TEST(JobRules, TheKapriFolderAndTheOrderingExpressions) {
    EXPECT_TRUE(jobs::insideKapriFolder(" /opt/kapri_10/bin/bkp "));
    EXPECT_FALSE(jobs::insideKapriFolder("/opt/kapri_100/bkp"));
    EXPECT_FALSE(jobs::insideKapriFolder("/opt/KAPRI_10"));
}
