// MyDemo is this show: it builds its resources and scenes in initialise(), on the stock
// timetable, or on the one its folder's scene list gives (rules/SceneList.h).
#pragma once

#include "engine/Demo.h"

class MyDemo final : public cg_engine::Demo {
public:
    using cg_engine::Demo::Demo;

    void initialise() override;
};
