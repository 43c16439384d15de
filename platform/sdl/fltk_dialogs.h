// The modal dialogs, built with FLTK inside the game's process. While one
// is open, repaint() is called a few times a second so the game window
// keeps showing its last frame.
#pragma once

#include <functional>
#include <string>

namespace sdl_backend {

void ShowNotice(const std::string& text, const std::function<void()>& repaint);
bool AskYesNo(const std::string& text, const std::function<void()>& repaint);
// "" when cancelled.
std::string ChooseFile(const std::string& title, const std::string& filter, bool save,
                       const std::string& initialPath, const std::function<void()>& repaint);

// The game's filter ("Description:ext;" entries, several extensions
// separated by commas) in FLTK's form ("Description\t*.ext", entries
// separated by line feeds). Empty entries are skipped.
std::string FltkFilter(const std::string& filter);

}  // namespace sdl_backend
