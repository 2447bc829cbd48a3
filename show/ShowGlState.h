// The GL state the whole show runs with, set once after the context exists: clear colour black
// with alpha 0, depth test (GL's default less-than), program point size, and source-alpha
// blending. Nothing sets a viewport: it stays the whole window the context first had.
#pragma once

void setShowGlState();
