// The copies of settings that the renderer and the player keep for themselves.
#pragma once

enum class WorkingCopy {
    None,
    ShowBackground,
    BackgroundNumber,
    SmallStarSpeed,
    SmallStarNumber,
    LargeStarNumber,
    ShowTrails,
    Resolution,
    Repeat,
    RandomBackground,
    MoveRandomly,
};

// Stores a value read from the registry into the renderer's or the player's own copy.
void set_working_copy(WorkingCopy which, int value);
