// Test fixture with a real OpenGL context and no display (EGL surfaceless, Mesa), a fresh scene
// record and a cleared platform log for every test. The test binary is linked with --wrap for
// glCallLists (tests/CMakeLists.txt): every call goes through the wrapper in gl_test.cpp, which
// logs it and then makes the real call.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <tuple>
#include <type_traits>
#include <vector>

#include "platform/headless/gl_context.h"
#include "scene/scene.h"

// Text drawn by glCallLists (of characters, as the overlay draws), each call's ended by a newline.
extern std::string drawnText;

// A record's fields in their order, for comparing two records field by field.
template <typename Record, typename Field = std::conditional_t<
                               std::is_same_v<Record, nimbrost::Camera>, double, std::int32_t>>
std::vector<Field> fields(const Record &record) {
    std::vector<Field> all(sizeof(Record) / sizeof(Field));
    std::memcpy(all.data(), &record, sizeof record);
    return all;
}

// The values rounded to four decimals, for comparing single-precision GL state with exact values.
std::vector<double> rounded(std::vector<double> values);

class GlTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    std::vector<double> matrix(GLenum which);
    // 1 for each capability that is enabled, 0 for each that is not.
    std::vector<int> enabled(std::initializer_list<GLenum> capabilities);
    // Starts the scene at 800 x 600 as the program does (first row current, then the scene
    // reset), then chooses the effect of `key` as its key would, unless `key` is 0; then draws
    // `frames` frames.
    void startScene(char key = 0, int frames = 0);
};
