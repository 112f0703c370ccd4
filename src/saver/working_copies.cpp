// The settings' working copies: the renderer's fields and the player's repeat flag.
#include "saver/working_copies.h"

#include "player/player_state.h"
#include "render/render_state.h"

void set_working_copy(WorkingCopy which, int value) {
    RenderState& r = render_state();
    switch (which) {
        case WorkingCopy::None: break;
        case WorkingCopy::ShowBackground: r.show_background = value; break;
        case WorkingCopy::BackgroundNumber: r.background_number = value; break;
        case WorkingCopy::SmallStarSpeed: r.small_star_speed = value; break;
        case WorkingCopy::SmallStarNumber: r.small_star_number = value; break;
        case WorkingCopy::LargeStarNumber: r.large_star_number = value; break;
        case WorkingCopy::ShowTrails: r.show_trails = value; break;
        case WorkingCopy::Resolution: r.resolution = value; break;
        case WorkingCopy::Repeat: player_state().repeat = value; break;
        case WorkingCopy::RandomBackground: r.random_background = value; break;
        case WorkingCopy::MoveRandomly: r.move_randomly = value; break;
    }
}
