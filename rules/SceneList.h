// The scene list "data/scenes.txt", which a show folder may hold to set its own timetable: one
// scene a line, its kind and its window in seconds of show time, tested and drawn in list
// order. Without it the show keeps its fixed timetable. No GL here: the show, the checker and
// the tests read it with the same function.
//
//   # kind       start   end     textures a photo scene draws (default: photo)
//   Lyrics       0       62.5
//   PhotoCompo   62.5    80      photo
//   Lyrics       80      171
//   PhotoCompo   171     183.2   photo2 frame
//
// Fields are separated by blanks (spaces or tabs); a line whose first field starts with '#' is a
// comment, and blank lines and CR LF ends are fine. A photo scene draws its textures as layers
// over its background, in the order given, each nearer than the one before.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// The file as the show opens it, relative to its working folder.
constexpr const char* kSceneListFileName = "scenes.txt";
constexpr const char* kShowSceneListPath = "data/scenes.txt";

// The scenes a list may hold, and the textures a photo scene may draw: each layer draws 0.01
// nearer than the one before, from 0.09, and the ninth would reach zero.
constexpr int kMostScenes = 100;
constexpr int kMostPhotoLayers = 8;

// The texture a photo scene draws when its line names none, as the stock photo scene does.
constexpr const char* kDefaultPhotoTexture = "photo";

enum class SceneKind { Lyrics, PhotoCompo };

// "Lyrics" or "PhotoCompo", as the list and the messages write it.
const char* sceneKindName(SceneKind kind);

struct ListedScene {
    SceneKind kind = SceneKind::Lyrics;
    double start = 0.0;  // seconds of show time; the scene draws strictly between the two
    double end = 0.0;
    std::vector<std::string> textures;  // a photo scene's layers, first drawn first; empty for lyrics
    int line = 0;                       // where it stands in the file, from 1
};

// A line the show cannot use, and skips.
struct SceneListFault {
    int line = 0;  // from 1; 0 for the file as a whole
    std::string what;
};

struct SceneList {
    std::vector<ListedScene> scenes;  // the lines that can be used, in file order
    // One per line that cannot. A window that overlaps an earlier scene's is such a line, and
    // so is every scene after the hundredth (one fault says so).
    std::vector<SceneListFault> faults;
};

SceneList parseSceneList(std::string_view text);

// "data/scenes.txt:4: what is wrong", or without the line for the file as a whole.
std::string describeFault(std::string_view path, const SceneListFault& fault);

struct SceneListFile {
    bool present = false;   // something is at the path: the show takes its timetable from it
    bool readable = false;  // and it could be read
    SceneList list;         // what could be read; when it could not, no scene and one fault
};

// Reads the list at `path` with the show's input-file checks (rules/InputFile.h): nothing there
// is a show with its fixed timetable; a folder, a FIFO or a file that cannot be read is present
// with no scenes and one fault saying why.
SceneListFile readSceneListFile(const char* path);
