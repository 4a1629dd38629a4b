#pragma once
// Where a menu command or shortcut goes. Features register a handler under the
// command number, optionally with a test of whether the command is available
// right now (connected, a window exists, ...). A command without a handler is
// shown greyed: its feature is not part of this build yet.

#include <functional>
#include <map>

namespace yarrow {

class CCommandRouter {
  public:
    using Handler = std::function<void()>;
    using EnabledQuery = std::function<bool()>;

    // Registers (or replaces) what `id` does; an empty handler removes it.
    void SetHandler(int id, Handler handler, EnabledQuery enabled = {});
    bool HasHandler(int id) const;
    // True when a handler exists and its query (if any) allows it now.
    bool IsEnabled(int id) const;
    // Runs the command when it is enabled; false when nothing ran.
    bool Run(int id) const;

  private:
    struct Entry {
        Handler handler;
        EnabledQuery enabled;
    };
    std::map<int, Entry> entries_;
};

}  // namespace yarrow
