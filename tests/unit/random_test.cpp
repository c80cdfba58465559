#include <gtest/gtest.h>

#include <cstdlib>

#include "scene/scene.h"

TEST(Random, SequenceSeedingAndScale) {
    nimbrost::scene = nimbrost::SceneState();
    const int expected[] = {41, 18467, 6334, 26500, 19169, 15724, 11478, 29358, 26962, 24464};
    for (int value : expected) {
        EXPECT_EQ(nimbrost::rand(), value);
    }
    nimbrost::srand(1);
    EXPECT_EQ(nimbrost::rand(), 41);
    nimbrost::srand(0);
    EXPECT_EQ(nimbrost::rand(), 38);
    nimbrost::srand(0xFFFFFFFFu);
    EXPECT_EQ(nimbrost::rand(), 35);

    // The C library's generator is a different one and is left alone by ours.
    std::srand(1);
    const int libraryFirst = std::rand();
    nimbrost::srand(1);
    std::srand(1);
    nimbrost::rand();
    EXPECT_EQ(std::rand(), libraryFirst);

    for (int i = 0; i < 100000; ++i) {
        const int value = nimbrost::rand();
        ASSERT_TRUE(value >= 0 && value <= 32767);
    }
    EXPECT_EQ(0 * nimbrost::randomScale, 0.0);
    EXPECT_EQ(32767 * nimbrost::randomScale, 1.0);
    EXPECT_EQ(nimbrost::randomScale, 3.051850947599719e-05);
}
