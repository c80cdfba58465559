// Test fixture with a real OpenGL context and no display (EGL surfaceless, Mesa), a fresh scene
// record and a cleared platform log for every test.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "scene/scene.h"

class GlTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // Makes the drawing target width x height and sets the scene's size to match.
    void useSize(int width, int height);
    // The current frame, top row first, RGBA.
    std::vector<std::uint8_t> readFrame();
    // How many pixels of the current frame are not black.
    int litPixels();
    // GL matrix (column-major) of the given kind, e.g. GL_MODELVIEW_MATRIX.
    std::vector<double> matrix(GLenum which);
    // Stack depth of the given kind, e.g. GL_MODELVIEW_STACK_DEPTH.
    GLint integer(GLenum which);
    // Starts the scene as the program does: first row current, then the scene reset.
    void startScene();
};
