#pragma once

// What screenwatch saw of a program's top-level windows, and the figures it draws from it.
// Plain C++ with no X in it, so that the rules for telling the windows apart and for
// "painted" can be tested without a display. Times are milliseconds since the program was
// started.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace ScreenWatch
{

enum class Owner {
    Unknown, // no _NET_WM_PID (yet): a client window that is no frame counts as the program's
    Program, // _NET_WM_PID names the program
    Other    // _NET_WM_PID names some other process
};

struct Window {
    std::uint32_t id = 0;
    double createdMs = -1;
    int width = 0;
    int height = 0;
    Owner owner = Owner::Unknown;
    bool isFrame = false;     // a client was reparented into it: the window manager's
    std::uint32_t frame = 0;  // the top-level window it was reparented into, if any
    double ownMapMs = -1;     // its own MapNotify
    double mappedMs = -1;     // when it was first viewable: mapped, and its frame too
    bool fullScreen = false;  // as big as the screen (nine tenths of it) when it was viewable
    double lastDamageMs = -1; // the last damage on it since it was viewable
    int damageEvents = 0;
    bool destroyed = false;
};

class Timeline
{
public:
    Timeline(int screenWidth, int screenHeight)
        : m_screenWidth(screenWidth), m_screenHeight(screenHeight)
    {
    }

    void created(std::uint32_t id, double at, int width, int height)
    {
        Window window;
        window.id = id;
        window.createdMs = at;
        window.width = width;
        window.height = height;
        m_windows.push_back(window);
    }

    void configured(std::uint32_t id, int width, int height)
    {
        if (Window *window = find(id)) {
            window->width = width;
            window->height = height;
        }
    }

    void ownerKnown(std::uint32_t id, Owner owner)
    {
        if (Window *window = find(id)) {
            window->owner = owner;
        }
    }

    // Reparented into topLevel, a child of the root (or the root itself: taken back).
    void reparented(std::uint32_t id, std::uint32_t topLevel, std::uint32_t root)
    {
        Window *window = find(id);
        if (!window) {
            return;
        }
        window->frame = topLevel == root ? 0 : topLevel;
        if (Window *frame = find(topLevel)) {
            frame->isFrame = true;
        }
    }

    // A MapNotify for id, of the window itself or of a frame holding clients.
    void mapped(std::uint32_t id, double at)
    {
        Window *window = find(id);
        if (!window) {
            return;
        }
        if (window->ownMapMs < 0) {
            window->ownMapMs = at;
        }
        updateViewable(*window);
        for (Window &client : m_windows) {
            if (client.frame == id) {
                updateViewable(client);
            }
        }
    }

    void damaged(std::uint32_t id, double at)
    {
        Window *window = find(id);
        if (window && window->mappedMs >= 0) {
            window->lastDamageMs = at;
            ++window->damageEvents;
        }
    }

    void destroyed(std::uint32_t id)
    {
        if (Window *window = find(id)) {
            window->destroyed = true;
        }
    }

    // The window whose painting ends the watch: the first of the program's viewable windows
    // that does not cover the screen (the drill window, or a program's one window).
    const Window *target() const
    {
        for (const Window &window : m_windows) {
            if (isProgramClient(window) && window.mappedMs >= 0 && !window.fullScreen) {
                return &window;
            }
        }
        return nullptr;
    }

    // The first of the program's viewable windows that covers the screen, if any.
    const Window *backdrop() const
    {
        for (const Window &window : m_windows) {
            if (isProgramClient(window) && window.mappedMs >= 0 && window.fullScreen) {
                return &window;
            }
        }
        return nullptr;
    }

    // When the target counts as painted, once no damage has come for quietMs after it:
    // its last damage. Negative while there is no target or it has not been drawn on.
    double paintedAt() const
    {
        const Window *window = target();
        return window ? window->lastDamageMs : -1;
    }

    // The moment at which, with no more damage, the watch can end; negative if none yet.
    double quietDeadline(double quietMs) const
    {
        const double painted = paintedAt();
        return painted < 0 ? -1 : painted + quietMs;
    }

    const std::vector<Window> &windows() const { return m_windows; }

    // One line of figures, "key=value" separated by blanks; empty while nothing is painted.
    // With a backdrop the wait is taken to start when its window was created.
    std::string figures(double waitMs, double peakMemoryMb) const
    {
        const Window *drawn = target();
        if (!drawn || drawn->lastDamageMs < 0) {
            return std::string();
        }
        std::string line;
        const Window *back = backdrop();
        if (back) {
            line += "windows=2";
            add(line, "exec_to_backdrop_created", back->createdMs);
            add(line, "exec_to_backdrop_mapped", back->mappedMs);
            add(line, "exec_to_drill_created", drawn->createdMs);
            add(line, "backdrop_created_to_drill_mapped", drawn->mappedMs - back->createdMs);
            add(line, "drill_mapped_to_painted", drawn->lastDamageMs - drawn->mappedMs);
            add(line, "exec_to_drill_painted", drawn->lastDamageMs);
            add(line, "tick_estimate_to_painted",
                drawn->lastDamageMs - (back->createdMs + waitMs));
            add(line, "drill_damage_events", drawn->damageEvents);
        } else {
            line += "windows=1";
            add(line, "exec_to_window_created", drawn->createdMs);
            add(line, "window_created_to_mapped", drawn->mappedMs - drawn->createdMs);
            add(line, "window_mapped_to_painted", drawn->lastDamageMs - drawn->mappedMs);
            add(line, "exec_to_window_painted", drawn->lastDamageMs);
            add(line, "window_damage_events", drawn->damageEvents);
        }
        add(line, "vmhwm_mb", peakMemoryMb, "%.1f");
        return line;
    }

private:
    // The latest window of that id: the server may give a destroyed window's id to a new one.
    Window *find(std::uint32_t id)
    {
        for (auto window = m_windows.rbegin(); window != m_windows.rend(); ++window) {
            if (window->id == id) {
                return &*window;
            }
        }
        return nullptr;
    }

    const Window *find(std::uint32_t id) const { return const_cast<Timeline *>(this)->find(id); }

    bool isProgramClient(const Window &window) const
    {
        if (window.destroyed || window.isFrame) {
            return false;
        }
        return window.owner == Owner::Program || window.owner == Owner::Unknown;
    }

    // Viewable once mapped itself and, inside a frame, once the frame is mapped too.
    void updateViewable(Window &window)
    {
        if (window.mappedMs >= 0 || window.ownMapMs < 0) {
            return;
        }
        double at = window.ownMapMs;
        if (window.frame != 0) {
            const Window *frame = find(window.frame);
            if (!frame || frame->ownMapMs < 0) {
                return;
            }
            at = std::max(at, frame->ownMapMs);
        }
        window.mappedMs = at;
        window.fullScreen =
            window.width * 10 >= m_screenWidth * 9 && window.height * 10 >= m_screenHeight * 9;
    }

    static void add(std::string &line, const char *key, double value, const char *format = "%.2f")
    {
        char number[32];
        std::snprintf(number, sizeof number, format, value);
        line += ' ';
        line += key;
        line += '=';
        line += number;
    }

    static void add(std::string &line, const char *key, int value)
    {
        line += ' ';
        line += key;
        line += '=';
        line += std::to_string(value);
    }

    int m_screenWidth;
    int m_screenHeight;
    std::vector<Window> m_windows;
};

} // namespace ScreenWatch
