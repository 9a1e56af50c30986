#pragma once

#include "platform/foundation/ProcessWide.hpp"

#include <memory>
#include <vector>

namespace appkit {

class Window;

// The application's windows: every window made, the visible ones front to back, and the
// key and main windows. Key events the application does not otherwise take go to the key
// window. Holds windows strongly while they are visible, weakly otherwise. Main thread
// only; one per process (resetForTesting() forgets everything, for a test that restarts
// the application).
class WindowList {
public:
    static WindowList& shared();
    static void resetForTesting();

    std::vector<std::shared_ptr<Window>> windows() const;
    const std::vector<std::shared_ptr<Window>>& orderedWindows() const { return ordered_; }
    std::shared_ptr<Window> keyWindow() const { return key_.lock(); }
    std::shared_ptr<Window> mainWindow() const { return main_.lock(); }
    // The window with the number, or null (0 numbers no window).
    std::shared_ptr<Window> windowWithNumber(int windowNumber) const;

    // Used by Window.
    void add(const std::shared_ptr<Window>& window);
    void orderFront(const std::shared_ptr<Window>& window);
    void orderOut(const std::shared_ptr<Window>& window);
    void setKeyWindow(const std::shared_ptr<Window>& window);
    void setMainWindow(const std::shared_ptr<Window>& window);
    // After the key window left: the frontmost visible window that may become key.
    void passKeyStatusOn();

private:
    WindowList();
    static foundation::ProcessWide<WindowList>& instance();

    std::vector<std::weak_ptr<Window>> all_;
    std::vector<std::shared_ptr<Window>> ordered_;
    std::weak_ptr<Window> key_;
    std::weak_ptr<Window> main_;
};

}  // namespace appkit
