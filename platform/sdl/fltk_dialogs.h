// The modal dialogs, built with FLTK inside the game's process.
#pragma once

#include <functional>
#include <string>

namespace sdl_backend {

// What a dialog needs of the game window: repaint() is called a few times a
// second while the dialog is open, so the window keeps showing its last
// frame; message boxes are centred on (centreX, centreY) when known.
struct DialogHost {
  std::function<void()> repaint;
  int centreX = -1, centreY = -1;
};

void ShowNotice(const std::string& text, const DialogHost& host);
bool AskYesNo(const std::string& text, const DialogHost& host);
// "" when cancelled.
std::string ChooseFile(const std::string& title, const std::string& filter, bool save,
                       const std::string& initialPath, const DialogHost& host);

// The game's filter ("Description:ext;" entries, several extensions
// separated by commas) in FLTK's form ("Description\t*.ext", entries
// separated by line feeds). Empty entries are skipped.
std::string FltkFilter(const std::string& filter);

// FLTK's filter as the file chooser's pattern list ("Description (*.ext)"
// entries separated by tabs).
std::string ChooserPatterns(const std::string& fltkFilter);

// A name typed into the requester, made whole against the folder it shows;
// absolute names and FLTK's ~ and $ forms are left as they are.
std::string ChooserWholeName(const std::string& folder, const std::string& typed);

// The lines of a message, each wider than maxWidth (as width measures it)
// shortened in the middle, where "…" stands for what was left out.
std::string ElideLongLines(const std::string& text, double maxWidth,
                           const std::function<double(const std::string&)>& width);

// A name given to the save requester with the filter's extension added
// when the filter has exactly one and the name lacks it; other names and
// filters leave it as it is.
std::string WithSoleExtension(const std::string& filter, const std::string& path);

}  // namespace sdl_backend
