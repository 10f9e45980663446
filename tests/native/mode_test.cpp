#include <gtest/gtest.h>

#include "app/mode.h"

TEST(ModeForProgram, SplitsOnlyUnderItsOwnBaseName)
{
    struct Case {
        const char* path;
        ProgramMode mode;
    } const cases[] = {
        {"c:\\tools\\parvolin.exe", SplitMode},
        {"Parvolin.exe", SplitMode},
        {"D:\\PARVOLIN.EXE", SplitMode},
        {"parvolin", SplitMode},
        {"/home/user/parvolin.bin", SplitMode},
        {"c:\\parvolin.dir\\tool.exe", JoinMode},
        {"parvolin (2).exe", JoinMode},
        {"parvolin_00.exe", JoinMode},
        {"movie_00.exe", JoinMode},
        {"parvolin2.exe", JoinMode},
        {"", JoinMode},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ModeForProgram(c.path), c.mode) << c.path;
}
