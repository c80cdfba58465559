// Frame-rate ratios that repeat: each subject frame (an effect, trails mode, the overlay) runs in
// short blocks that alternate with blocks of its reference frame, and the ratio is taken per
// round, so that whatever else the machine does falls on both alike; the cells take their rounds
// in turn.
#pragma once

#include <string>
#include <vector>

#include "scene/scene.h"

// Seconds on a steady clock.
double seconds();
// Starts the scene in the headless target at a size as the program starts it, then chooses the
// effect of `key` as its key would; with trails, the colour buffer is kept and the squares have
// borders.
void startBenchScene(int width, int height, bool trails, unsigned char key);
// Frames as the program's loop draws them, the overlay over each while `showInfo` is on, each
// finished before the next.
void drawFrames(int frames);

struct Ratio {
    std::string row, column;
    double median, lowQuartile, highQuartile; // of the per-round ratios subject / reference
    double subjectFps, referenceFps;          // medians over the blocks
    double target;                            // the ratio to reach, 0 for none
};

struct RatioPlan {
    int blockFrames = 20;     // frames in each block
    int warmUpRounds = 3;     // rounds drawn before any is counted
    int rounds = 20;          // rounds counted
    double wideSpread = 0.08; // an interquartile range above this calls for more rounds
    int settleFrames = 3;     // frames drawn, not counted, when a cell takes its turn
};

// Measures every ratio of the table in the current headless context, then prints the table. Needs
// the program's glyph lists (for the overlay row) at `fontListBase`.
std::vector<Ratio> measureRatios(const RatioPlan &plan);

// Writes and reads back ratios as lines of text, one ratio a line.
bool writeRatios(const std::string &path, const std::vector<Ratio> &ratios);
bool readRatios(const std::string &path, std::vector<Ratio> &ratios);

// Prints how often the runs agree within `tolerance` on each ratio, and how many meet their
// targets in each run.
void printAgreement(const std::vector<std::vector<Ratio>> &runs, double tolerance);
