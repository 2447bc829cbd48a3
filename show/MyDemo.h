// MyDemo is this show: it builds its resources and scenes in initialise().
#pragma once

#include "engine/Demo.h"

class MyDemo : public cg_engine::Demo {
public:
    using cg_engine::Demo::Demo;

    void initialise() override;
};
