// The program's own drawer in a temporary folder, and the program started from its icon
// there on the virtual display.
#pragma once
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "host/host.h"

namespace support {

class Drawer {
public:
    // The icon with these tool types (none at all without `withIcon`), the card sheet, save/.
    explicit Drawer(const std::vector<std::string>& toolTypes, bool withIcon = true);
    ~Drawer();
    Drawer(const Drawer&) = delete;
    Drawer& operator=(const Drawer&) = delete;

    void WriteIcon(const std::vector<std::string>& toolTypes);
    std::vector<std::string> IconLines() const;  // its non-empty lines
    std::filesystem::path Path() const { return dir_; }

    // Runs the program as if started from the icon, on a fresh virtual display; the steps
    // act whenever it waits. A fault named in `fault` is armed once the display is up.
    int Run(std::vector<std::function<void()>> steps, const host::ScreenConfig& config = {},
            const char* fault = nullptr);
    // The same with a user of the caller's own, after `arm` has set up faults on the fresh
    // display; Stalled is passed on to the caller.
    int RunWithUser(host::User user, const std::function<void()>& arm = {});

private:
    int Start();
    std::filesystem::path dir_;
};

// The main window, by its title.
Window* MainWindow();

}  // namespace support
