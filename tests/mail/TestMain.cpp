#include "framework/core/Application.h"

#include <gtest/gtest.h>

using namespace qel;

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    Application->Initialize(argc, argv);
    return RUN_ALL_TESTS();
}
