#include "framework/gui/Application.h"

#include <gtest/gtest.h>

#include <cstdlib>

// GUI tests run in-process on Qt's offscreen platform unless told otherwise.
int main(int argc, char** argv)
{
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    Application->Initialize();
    testing::InitGoogleTest(&argc, argv);
    const int status = RUN_ALL_TESTS();
    Application->Finalize();
    return status;
}
