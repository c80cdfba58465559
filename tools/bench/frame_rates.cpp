#include "tools/bench/frame_rates.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

#include <sys/resource.h>

#include "platform/headless/gl_context.h"
#include "scene/scene.h"
#include "shell/shell.h"

using nimbrost::scene;

namespace {

struct Column {
    const char *name;
    int width, height;
    bool trails;   // colour buffer kept (fading trails) and square borders on
    double target; // for the effects
};
const Column columns[] = {
    {"800x600", 800, 600, false, 0.8},
    {"1920x1080", 1920, 1080, false, 0.9},
    {"800x600 trails+borders", 800, 600, true, 0.8},
    {"1920x1080 trails+borders", 1920, 1080, true, 0.8},
};
constexpr double overlayTarget = 0.5;

// The value a share p (0 to 1) of the way through the sorted values, between neighbours.
double quantile(std::vector<double> values, double p) {
    std::sort(values.begin(), values.end());
    const double at = p * static_cast<double>(values.size() - 1);
    const auto below = static_cast<std::size_t>(at);
    const std::size_t above = std::min(below + 1, values.size() - 1);
    return values[below] + (values[above] - values[below]) * (at - static_cast<double>(below));
}

// The empty frame: the clear at the frame's start, nothing drawn, then the frame's end.
void drawEmpty() {}

// The least a frame with trails draws: the preamble, which lays the fade veil over the picture.
void drawVeil() {
    nimbrost::applyEffectPreamble(0, -10, -25);
}

// How many times the scheduler has taken the processor from any of the process's threads (the
// renderer's own threads included) to give it to another process.
long preemptions() {
    rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_nivcsw;
}

// The median time of a frame in a block of frames of `effect`, with the overlay over each when
// asked. A frame during which another process took a processor from one of the process's threads
// does not count, unless every frame of the block was so interrupted; the median then leaves out
// what interruptions remain.
double blockFrameTime(nimbrost::EffectFn effect, bool overlay, int frames) {
    scene.currentEffect = effect;
    scene.settings.showInfo = overlay ? 1 : 0;
    std::vector<double> all, undisturbed;
    all.reserve(static_cast<std::size_t>(frames));
    undisturbed.reserve(static_cast<std::size_t>(frames));
    for (int frame = 0; frame < frames; ++frame) {
        const long preempted = preemptions();
        const double start = seconds();
        drawFrames(1);
        const double time = seconds() - start;
        all.push_back(time);
        if (preemptions() == preempted) {
            undisturbed.push_back(time);
        }
    }
    return quantile(undisturbed.empty() ? all : undisturbed, 0.5);
}

// One cell of the table: a subject frame and its reference at one size, and the scene as the
// cell's frames left it.
struct Cell {
    std::string row;
    const Column *column;
    nimbrost::EffectFn subject, reference;
    bool overlay;
    nimbrost::SceneState state;
    std::vector<double> ratios, subjectFps, referenceFps;
};

// Draws the cell's next round, one block of the subject and one of the reference, which of them
// goes first alternating from round to round, so that a drift in the machine's speed cancels in
// pairs. The scene goes on from where the cell's last round left it; a few frames first let the
// drawing target settle at the cell's size.
void drawRound(Cell &cell, int round, const RatioPlan &plan) {
    headless::resizeTarget(cell.column->width, cell.column->height);
    // The reset sets the viewport and projection for the cell's size and settings; the cell's
    // scene then goes on as it was.
    scene = cell.state;
    nimbrost::resetScene();
    scene = cell.state;
    blockFrameTime(cell.subject, cell.overlay, plan.settleFrames);
    double subjectTime = 0, referenceTime = 0;
    if (round % 2 == 0) {
        subjectTime = blockFrameTime(cell.subject, cell.overlay, plan.blockFrames);
        referenceTime = blockFrameTime(cell.reference, false, plan.blockFrames);
    } else {
        referenceTime = blockFrameTime(cell.reference, false, plan.blockFrames);
        subjectTime = blockFrameTime(cell.subject, cell.overlay, plan.blockFrames);
    }
    scene.currentEffect = cell.subject;
    cell.state = scene;
    if (round >= plan.warmUpRounds) {
        cell.ratios.push_back(referenceTime / subjectTime);
        cell.subjectFps.push_back(1 / subjectTime);
        cell.referenceFps.push_back(1 / referenceTime);
    }
}

bool spreadsWide(const Cell &cell, const RatioPlan &plan) {
    return quantile(cell.ratios, 0.75) - quantile(cell.ratios, 0.25) > plan.wideSpread &&
           static_cast<int>(cell.ratios.size()) < 3 * plan.rounds;
}

// Every cell's rounds in turn, round by round over the whole table, so that a stretch of time in
// which the machine runs faster or slower falls on every cell a little rather than on a few
// cells wholly. Where the ratios spread wide, those cells draw more rounds, up to three times the
// plan's, so that the median still holds.
void measureCells(std::vector<Cell> &cells, const RatioPlan &plan) {
    for (int round = 0; round < plan.warmUpRounds + plan.rounds; ++round) {
        for (Cell &cell : cells) {
            drawRound(cell, round, plan);
        }
    }
    for (int extra = 0; extra < 2 * plan.rounds; ++extra) {
        for (Cell &cell : cells) {
            if (spreadsWide(cell, plan)) {
                drawRound(cell, plan.warmUpRounds + plan.rounds + extra, plan);
            }
        }
    }
}

Ratio ratioOf(const Cell &cell) {
    Ratio ratio;
    ratio.row = cell.row;
    ratio.column = cell.column->name;
    ratio.median = quantile(cell.ratios, 0.5);
    ratio.lowQuartile = quantile(cell.ratios, 0.25);
    ratio.highQuartile = quantile(cell.ratios, 0.75);
    ratio.subjectFps = quantile(cell.subjectFps, 0.5);
    ratio.referenceFps = quantile(cell.referenceFps, 0.5);
    ratio.target = cell.overlay ? overlayTarget : cell.column->target;
    return ratio;
}

void printCell(const Ratio &ratio) {
    std::printf(" %4.2f [%4.2f %4.2f] %5.0f  ", ratio.median, ratio.lowQuartile, ratio.highQuartile,
                ratio.subjectFps);
}

} // namespace

double seconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

void startBenchScene(int width, int height, bool trails, unsigned char key) {
    headless::resizeTarget(width, height);
    scene.settings.clearColorBuffer = trails ? 0 : 1;
    scene.settings.squareBorders = trails ? 1 : 0;
    scene.settings.showInfo = 0;
    nimbrost::startScene(width, height, 1, key);
}

void drawFrames(int frames) {
    for (int i = 0; i < frames; ++i) {
        nimbrost::drawFrame();
        if (scene.settings.showInfo) {
            nimbrost::drawOverlay(nimbrost::averageFrameRate());
        }
        glFinish();
    }
}

std::vector<Ratio> measureRatios(const RatioPlan &plan) {
    std::printf(
        "Frame-rate ratios, headless (%s): blocks of %d frames alternating with blocks of "
        "the reference frame, %d rounds after %d of warm-up (up to %d where the ratios spread "
        "wider than %.2f), the cells taking their rounds in turn; a block counts its median "
        "frame undisturbed by other processes; per cell the median ratio of the rounds "
        "[interquartile range] and the subject's frames per second\n",
        reinterpret_cast<const char *>(glGetString(GL_RENDERER)), plan.blockFrames, plan.rounds,
        plan.warmUpRounds, 3 * plan.rounds, plan.wideSpread);
    std::printf("%-26s", "");
    for (const Column &column : columns) {
        std::printf(" %-25s", column.name);
    }
    std::printf("\n");

    std::vector<Cell> cells;
    const auto addRow = [&](const char *name, char key, bool overlay) {
        const nimbrost::EffectFn effect = nimbrost::findEffect(static_cast<unsigned char>(key));
        for (const Column &column : columns) {
            if (overlay && column.trails) {
                continue;
            }
            startBenchScene(column.width, column.height, column.trails,
                            static_cast<unsigned char>(key));
            const nimbrost::EffectFn reference =
                overlay ? effect : (column.trails ? drawVeil : drawEmpty);
            cells.push_back(Cell{name, &column, effect, reference, overlay, scene, {}, {}, {}});
        }
    };
    char name[64];
    for (const nimbrost::EffectEntry *row = nimbrost::effectRegistry; row->draw; ++row) {
        std::snprintf(name, sizeof name, "%c %s", row->key, row->name);
        addRow(name, row->key, false);
    }
    addRow("1 with the overlay", '1', true);
    measureCells(cells, plan);

    std::vector<Ratio> ratios;
    std::vector<double> referenceFps[4];
    for (const Cell &cell : cells) {
        if (ratios.empty() || ratios.back().row != cell.row) {
            std::printf("%s%-26s", ratios.empty() ? "" : "\n", cell.row.c_str());
        }
        ratios.push_back(ratioOf(cell));
        if (!cell.overlay) {
            referenceFps[cell.column - columns].push_back(ratios.back().referenceFps);
        }
        printCell(ratios.back());
    }
    std::printf("\n");

    std::printf("%-26s", "reference frames per second");
    for (const std::vector<double> &fps : referenceFps) {
        std::printf(" %19.0f      ", quantile(fps, 0.5));
    }
    std::printf("\n%-26s", "target");
    for (const Column &column : columns) {
        std::printf(" >= %4.2f                  ", column.target);
    }
    std::printf("\n  reference: the empty frame (clear, nothing drawn, end of frame) for the "
                "effects; the empty frame with the fade veil, the least a frame with trails "
                "draws, for trails+borders; the same frame without the overlay for the overlay "
                "(target >= %4.2f)\n\n",
                overlayTarget);
    return ratios;
}

bool writeRatios(const std::string &path, const std::vector<Ratio> &ratios) {
    std::ofstream out(path);
    for (const Ratio &r : ratios) {
        out << r.row << '\t' << r.column << '\t' << r.median << '\t' << r.lowQuartile << '\t'
            << r.highQuartile << '\t' << r.subjectFps << '\t' << r.referenceFps << '\t' << r.target
            << '\n';
    }
    return static_cast<bool>(out);
}

bool readRatios(const std::string &path, std::vector<Ratio> &ratios) {
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        Ratio r;
        std::getline(fields, r.row, '\t');
        std::getline(fields, r.column, '\t');
        fields >> r.median >> r.lowQuartile >> r.highQuartile >> r.subjectFps >> r.referenceFps >>
            r.target;
        if (!fields) {
            return false;
        }
        ratios.push_back(r);
    }
    return !ratios.empty();
}

void printAgreement(const std::vector<std::vector<Ratio>> &runs, double tolerance) {
    if (runs.size() < 2) {
        return;
    }
    const std::vector<Ratio> &first = runs[0];
    std::size_t agreeing = 0, compared = 0;
    double largest = 0;
    std::string where;
    for (std::size_t i = 0; i < first.size(); ++i) {
        double low = first[i].median, high = first[i].median;
        bool present = true;
        for (const std::vector<Ratio> &run : runs) {
            present = present && i < run.size() && run[i].row == first[i].row &&
                      run[i].column == first[i].column;
            if (present) {
                low = std::min(low, run[i].median);
                high = std::max(high, run[i].median);
            }
        }
        if (!present) {
            continue;
        }
        ++compared;
        // The medians are printed to two decimals: compare what is printed.
        const double spread = std::round(high * 100) / 100 - std::round(low * 100) / 100;
        agreeing += spread <= tolerance + 1e-9;
        if (spread > largest) {
            largest = spread;
            where = first[i].row + ", " + first[i].column;
        }
    }
    std::printf("Agreement: the %zu runs agree within +-%.2f on %zu of %zu ratios; largest "
                "difference %.2f%s%s%s\n",
                runs.size(), tolerance, agreeing, compared, largest, where.empty() ? "" : " (",
                where.c_str(), where.empty() ? "" : ")");
    // Targets met, by column for the effects and apart for the overlay, in each run.
    for (std::size_t r = 0; r < runs.size(); ++r) {
        std::printf("Targets met in run %zu:", r + 1);
        std::vector<std::string> groups;
        for (const Ratio &ratio : runs[r]) {
            const bool overlay = ratio.row.find("overlay") != std::string::npos;
            const std::string group = overlay ? "overlay" : ratio.column;
            if (std::find(groups.begin(), groups.end(), group) != groups.end()) {
                continue;
            }
            groups.push_back(group);
            int met = 0, count = 0;
            for (const Ratio &other : runs[r]) {
                const bool otherOverlay = other.row.find("overlay") != std::string::npos;
                if (otherOverlay == overlay && (overlay || other.column == ratio.column)) {
                    ++count;
                    met += other.median >= other.target;
                }
            }
            std::printf("%s %s %d of %d (>= %.2f)", groups.size() > 1 ? ";" : "", group.c_str(),
                        met, count, ratio.target);
        }
        std::printf("\n");
    }
    std::printf("\n");
}
