// Benchmarks of the show with its own data on Mesa's software renderer at 1920×1080, each figure
// beside its floor, the least the same work costs on the same machine, measured in turns within
// the same run so that a machine shared with others slows both alike: the start-up
// (initialise()), a frame at four moments, and the GL-free parsers on large generated inputs.
// Each benchmark's label is its row of the table that scripts/bench prints.
// Run from anywhere: build/<dir>/bench/show_benchmarks
#include <benchmark/benchmark.h>

#include <GL/glew.h>
#include <stb_image.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "bench/BenchFigures.h"
#include "bench/FloorLayers.h"
#include "engine/SceneDispatch.h"
#include "rules/ConfigLine.h"
#include "rules/LyricLayers.h"
#include "rules/Mesh.h"
#include "show/Lyrics.h"
#include "show/MyDemo.h"
#include "show/PhotoCompo.h"
#include "show/ShowBuild.h"
#include "show/ShowWarmUp.h"
#include "tests/support/GlTest.h"
#include "tests/support/TempDir.h"
#include "tests/support/TimingText.h"
#include "tools/lib/gl/RenderTarget.h"

namespace {

constexpr int kScreenWidth = 1920;
constexpr int kScreenHeight = 1080;

const std::string& contextFailure()
{
    return sharedContextFailure(kScreenWidth, kScreenHeight);
}

double millisecondsOf(const std::function<void()>& work)
{
    auto start = std::chrono::steady_clock::now();
    work();
    glFinish();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

// The floor of initialise(): each image of data/config.txt decoded and uploaded as the loader
// uploads it, and the two programs compiled and linked from the same files, with nothing else.
// What it creates is deleted again, so that turns do not pile up memory.
void loadResourcesAlone()
{
    std::vector<GLuint> textures;
    std::vector<GLuint> objects;
    std::string config = readFile("data/config.txt");
    for (std::string_view line : configLines(config)) {
        ConfigLine parsed = parseConfigLine(line);
        if (parsed.outcome != ConfigLine::Outcome::Entry)
            continue;
        const ConfigEntry& entry = parsed.entry;
        if (entry.kind == ResourceKind::Texture) {
            int width = 0, height = 0, channels = 0;
            unsigned char* pixels = stbi_load(entry.path.c_str(), &width, &height, &channels, 0);
            GLuint texture = 0;
            glGenTextures(1, &texture);
            glBindTexture(GL_TEXTURE_2D, texture);
            glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
            glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, width, height, 0, channels == 3 ? GL_RGB : GL_RGBA, GL_UNSIGNED_BYTE,
                         pixels);
            glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
            stbi_image_free(pixels);
            textures.push_back(texture);
        } else if (entry.kind == ResourceKind::Shader) {
            GLuint program = glCreateProgram();
            for (auto [path, stage] : {std::pair{entry.path, GL_FRAGMENT_SHADER}, {entry.vertexPath, GL_VERTEX_SHADER}}) {
                std::string source = readFile(path);
                const char* text = source.c_str();
                GLuint shader = glCreateShader(stage);
                glShaderSource(shader, 1, &text, nullptr);
                glCompileShader(shader);
                glAttachShader(program, shader);
                objects.push_back(shader);
            }
            glLinkProgram(program);
            objects.push_back(program);
        }
    }
    glFinish();
    glDeleteTextures(GLsizei(textures.size()), textures.data());
    for (GLuint object : objects) {
        if (glIsProgram(object))
            glDeleteProgram(object);
        else
            glDeleteShader(object);
    }
}

// The start-up that happens before the music begins: every resource loaded, both scenes built,
// in turns with its floor. Each run keeps its GL objects, as the show does, so a few runs are
// enough.
void Initialise(benchmark::State& state)
{
    if (!contextFailure().empty()) {
        state.SkipWithError(contextFailure().c_str());
        return;
    }
    WorkingFolder inside(SOVANE05_SOURCE_DIR);
    std::vector<double> show, floor, warmUp;
    for (auto _ : state) {
        MyDemo* demo = nullptr;
        show.push_back(millisecondsOf([&] {
            demo = new MyDemo(kScreenWidth, kScreenHeight);
            demo->initialise();
        }));
        floor.push_back(millisecondsOf(loadResourcesAlone));
        warmUp.push_back(millisecondsOf([&] { warmUpShow(*demo); }));
        state.SetIterationTime(show.back() / 1000.0);
    }
    char what[160];
    std::snprintf(what, sizeof what, "`initialise()` with the shipped data (then the warm-up draws: %.1f ms)",
                  median(warmUp));
    state.SetLabel(tableRow({what, median(show), median(floor), "ms", 1.2}));
}
BENCHMARK(Initialise)->Unit(benchmark::kMillisecond)->Iterations(9)->UseManualTime();

// The show built once into a 1920×1080 target, warmed up there, with the floor's layers.
struct DrawnShow {
    std::unique_ptr<RenderTarget> target;
    std::unique_ptr<FloorLayers> floor;
    MyDemo* demo = nullptr;
    BusiestMoment busiest;
};

DrawnShow& drawnShow()
{
    static DrawnShow drawn = [] {
        DrawnShow made;
        made.target = std::make_unique<RenderTarget>(kScreenWidth, kScreenHeight);
        made.target->bind();
        WorkingFolder inside(SOVANE05_SOURCE_DIR);
        BuiltShow show = buildShow(kScreenWidth, kScreenHeight);
        if (!show.demo)
            return made;
        made.demo = show.demo.release();
        made.floor = std::make_unique<FloorLayers>();
        auto* lyrics = static_cast<Lyrics*>(made.demo->scenes[0]);
        made.busiest = busiestMoment(lyrics->lineStart, lyrics->lineEnd, lyrics->lineCount, kLyricsStart, kLyricsEnd);
        return made;
    }();
    return drawn;
}

// The images the show draws over the background at `time`, in order.
std::vector<GLuint> imagesAt(const MyDemo& demo, double time)
{
    std::vector<GLuint> images;
    auto* lyrics = static_cast<Lyrics*>(demo.scenes[0]);
    auto* photo = static_cast<PhotoCompo*>(demo.scenes[1]);
    if (cg_engine::isActiveAt(lyrics->startTime, lyrics->endTime, time))
        forEachActiveLine(lyrics->lineStart, lyrics->lineEnd, lyrics->lineCount, time,
                          [&](int line, float) { images.push_back(lyrics->lineTextures[line]); });
    if (cg_engine::isActiveAt(photo->startTime, photo->endTime, time))
        images.push_back(photo->photoTextures[0]);
    return images;
}

enum class Moment { Background, BusiestLyrics, ChorusBuild, Photo };

// One whole frame at a moment, finished on the renderer, in turns with the same number of
// pass-through layers.
void Frame(benchmark::State& state, Moment moment)
{
    if (!contextFailure().empty()) {
        state.SkipWithError(contextFailure().c_str());
        return;
    }
    DrawnShow& drawn = drawnShow();
    if (drawn.demo == nullptr) {
        state.SkipWithError("the show could not be built");
        return;
    }
    const double times[] = {3.0, drawn.busiest.time, 44.0, 50.0};
    double time = times[int(moment)];
    std::vector<GLuint> images = imagesAt(*drawn.demo, time);
    drawn.target->bind();
    drawn.floor->draw(images);
    std::vector<double> show, floor;
    for (auto _ : state) {
        show.push_back(millisecondsOf([&] { cg_engine::renderActiveScenes(*drawn.demo, time); }));
        floor.push_back(millisecondsOf([&] { drawn.floor->draw(images); }));
        state.SetIterationTime(show.back() / 1000.0);
    }
    char what[160];
    const char* names[] = {"the background alone", "the busiest lyric moment", "the chorus build",
                           "the photo"};
    std::snprintf(what, sizeof what, "a frame at 1920×1080, %s (%.2f s, %zu image%s)", names[int(moment)], time,
                  images.size(), images.size() == 1 ? "" : "s");
    state.SetLabel(tableRow({what, median(show), median(floor), "ms", 1.5}));
}
BENCHMARK_CAPTURE(Frame, Background, Moment::Background)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseManualTime();
BENCHMARK_CAPTURE(Frame, BusiestLyrics, Moment::BusiestLyrics)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseManualTime();
BENCHMARK_CAPTURE(Frame, ChorusBuild, Moment::ChorusBuild)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseManualTime();
BENCHMARK_CAPTURE(Frame, Photo, Moment::Photo)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseManualTime();

// A parser's speed on `text`, as a row of the table.
void Parse(benchmark::State& state, const std::string& what, const std::string& text,
           const std::function<void(const std::string&)>& parse)
{
    auto start = std::chrono::steady_clock::now();
    for (auto _ : state)
        parse(text);
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    double bytes = double(state.iterations()) * double(text.size());
    state.SetBytesProcessed(int64_t(bytes));
    TableFigure row{what, bytes / seconds / 1e6, 0.0, "MB/s", 0.0, false};
    state.SetLabel(tableRow(row));
}

// Every kind of line the config may hold, CR LF ends among them, as a large show might have.
std::string largeConfig()
{
    std::string text;
    for (int i = 0; i < 20000; ++i) {
        std::string n = std::to_string(i);
        text += "Texture line" + n + " data/lyrics/some folder/" + n + ".png\n";
        text += "Shader program" + n + " data/shaders/" + n + ".frag data/shaders/" + n + ".vert\r\n";
        text += "# a note about " + n + "\nMesh shape" + n + " data/meshes/" + n + ".mesh\nFile notes" + n + " notes\n";
    }
    return text;
}

void ParseConfig(benchmark::State& state)
{
    Parse(state, "config parsing (" + std::to_string(largeConfig().size() / 1000) + " kB)", largeConfig(),
          [](const std::string& text) {
              size_t entries = 0;
              for (std::string_view line : configLines(text))
                  entries += parseConfigLine(line).outcome == ConfigLine::Outcome::Entry;
              benchmark::DoNotOptimize(entries);
          });
}
BENCHMARK(ParseConfig)->Unit(benchmark::kMillisecond);

std::string largeMesh()
{
    std::string text;
    constexpr int kFaces = 100000;
    for (int i = 0; i < kFaces + 2; ++i)
        text += "v " + std::to_string(i) + ".5 -1.25 3e-2\nvn 0 0 1\nvt 0.5 0.5\n";
    for (int i = 1; i <= kFaces; ++i)
        text += "f " + std::to_string(i) + "/1/1 " + std::to_string(i + 1) + "/2/2 " + std::to_string(i + 2) + "/3/3\n";
    return text;
}

void ParseAndFlattenMesh(benchmark::State& state)
{
    Parse(state, "mesh parsing and flattening (" + std::to_string(largeMesh().size() / 1000) + " kB)", largeMesh(),
          [](const std::string& text) {
              Mesh mesh;
              mesh.readText(text, "bench.mesh");
              mesh.expandFaces();
              benchmark::DoNotOptimize(mesh.vertexPositions.data());
              for (MeshFace* face : mesh.faces)
                  delete face;
          });
}
BENCHMARK(ParseAndFlattenMesh)->Unit(benchmark::kMillisecond);

// The reader takes 87 pairs and no more, so a large input is one whose pairs are spread over
// long runs of blank lines and written with many digits, as a careless editor might leave it.
std::string largeTiming()
{
    std::string text;
    for (int pair = 0; pair < kLyricLineCount; ++pair) {
        text += std::to_string(pair) + ".5" + std::string(200, '0') + std::string(500, '\n');
        text += std::to_string(pair + 1) + ".25" + std::string(200, '0') + " \t\r\n" + std::string(500, ' ');
    }
    return text;
}

void ReadTiming(benchmark::State& state)
{
    Parse(state, "timing file reading (" + std::to_string(largeTiming().size() / 1000) + " kB)", largeTiming(),
          [](const std::string& text) {
              double lineStart[kLyricLineCount];
              double lineEnd[kLyricLineCount];
              benchmark::DoNotOptimize(readTimingText(text, lineStart, lineEnd).pairsRead);
          });
}
BENCHMARK(ReadTiming)->Unit(benchmark::kMillisecond);

}  // namespace
