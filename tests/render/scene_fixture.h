// A test fixture with an open render device, a scripted clock and a recorder for Glide calls.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "platform/glide/glide.h"
#include "platform/glide/glide_present.h"
#include "platform/win/win_scripted.h"
#include "render/render_device.h"
#include "render/render_frame.h"
#include "render/render_state.h"

inline std::int64_t g_scene_seconds = 1000;

class SceneTest : public ::testing::Test {
protected:
    void SetUp() override {
        grGlideShutdown();
        glide_set_presenter(nullptr);
        reset_render_state();
        g_scene_seconds = 1000;
        render_state().calendar_seconds = [] { return g_scene_seconds; };
        win_.set_tick(0x42);
    }
    void TearDown() override {
        grGlideShutdown();
        reset_render_state();
    }

    // Opens the device (640x480 unless the test set another resolution).
    void open() { open_render_device(); }

    // Renders one frame and returns the Glide calls it made.
    std::vector<GlideCall> record_frame(bool forward = true) {
        GlideCallLog log;
        log.forward = forward;
        render_state().call_log = &log;
        render_frame();
        render_state().call_log = nullptr;
        return log.calls;
    }

    static long count(const std::vector<GlideCall>& calls, GlideCallKind kind) {
        return std::count_if(calls.begin(), calls.end(),
                             [kind](const GlideCall& c) { return c.kind == kind; });
    }

    ScriptedWin win_;
};
