#include "platform/sdl/fltk_dialogs.h"

#include <FL/Fl.H>
#include <FL/Fl_Window.H>
#include <FL/Fl_File_Chooser.H>
#include <FL/Fl_Native_File_Chooser.H>
#include <FL/fl_ask.H>

#include <filesystem>
#include <sstream>

namespace sdl_backend {

namespace {

constexpr const char* kDialogTitle = "Kavro";
constexpr double kRepaintSeconds = 0.1;

void Trim(std::string& s) {
  size_t first = s.find_first_not_of(" \t");
  size_t last = s.find_last_not_of(" \t");
  s = first == std::string::npos ? "" : s.substr(first, last - first + 1);
}

// German labels for everything FLTK shows by itself.
void PrepareFltk() {
  static bool done = false;
  if (done) return;
  done = true;
  Fl::option(Fl::OPTION_FNFC_USES_GTK, false);
  fl_message_hotspot(0);
  fl_message_title_default(kDialogTitle);
  fl_ok = "OK";
  fl_close = "OK";
  fl_cancel = "Abbrechen";
  fl_yes = "Ja";
  fl_no = "Nein";
  Fl_File_Chooser::filename_label = "Dateiname:";
  Fl_File_Chooser::show_label = "Zeigen:";
  Fl_File_Chooser::all_files_label = "Alle Dateien (*)";
  Fl_File_Chooser::custom_filter_label = "Eigener Filter";
  Fl_File_Chooser::existing_file_label = "Bitte eine vorhandene Datei wählen.";
  Fl_File_Chooser::favorites_label = "Favoriten";
  Fl_File_Chooser::add_favorites_label = "Zu den Favoriten";
  Fl_File_Chooser::manage_favorites_label = "Favoriten verwalten";
  Fl_File_Chooser::filesystems_label = "Dateisysteme";
  Fl_File_Chooser::new_directory_label = "Neuer Ordner:";
  Fl_File_Chooser::new_directory_tooltip = "Neuen Ordner anlegen";
  Fl_File_Chooser::preview_label = "Vorschau";
  Fl_File_Chooser::hidden_label = "Versteckte Dateien";
  Fl_File_Chooser::save_label = "Speichern";
  Fl_Native_File_Chooser::file_exists_message = "Die Datei gibt es schon. Überschreiben?";
}

void RepaintTick(void* data) {
  (*static_cast<const std::function<void()>*>(data))();
  Fl::repeat_timeout(kRepaintSeconds, RepaintTick, data);
}

// Keeps the game window repainted for as long as a dialog is open.
class RepaintWhileOpen {
 public:
  explicit RepaintWhileOpen(const DialogHost& host)
      : repaint_(host.repaint), centre_{host.centreX, host.centreY} {
    PrepareFltk();
    // Without a window manager a message box would sit in the screen's
    // corner; it is moved over the game window as soon as it is shown.
    if (centre_[0] >= 0 && centre_[1] >= 0) Fl::add_timeout(0.0, CentreBox, centre_);
    if (repaint_) Fl::add_timeout(kRepaintSeconds, RepaintTick, &repaint_);
  }
  ~RepaintWhileOpen() {
    Fl::remove_timeout(CentreBox, centre_);
    Fl::remove_timeout(RepaintTick, &repaint_);
    // Let FLTK unmap the dialog before the game takes over again.
    Fl::check();
  }

 private:
  static void CentreBox(void* data) {
    const int* centre = static_cast<const int*>(data);
    Fl_Window* box = fl_message_icon()->window();
    if (box && box->shown()) box->position(centre[0] - box->w() / 2, centre[1] - box->h() / 2);
  }

  std::function<void()> repaint_;
  int centre_[2];
};

}  // namespace

std::string FltkFilter(const std::string& filter) {
  std::string result;
  std::stringstream entries(filter);
  std::string entry;
  while (std::getline(entries, entry, ';')) {
    size_t colon = entry.find(':');
    std::string description = entry.substr(0, colon);
    std::string extensions = colon == std::string::npos ? "" : entry.substr(colon + 1);
    Trim(description);
    Trim(extensions);
    if (extensions.empty()) continue;
    std::vector<std::string> list;
    std::stringstream parts(extensions);
    std::string ext;
    while (std::getline(parts, ext, ',')) {
      Trim(ext);
      if (ext.rfind("*.", 0) == 0) ext = ext.substr(2);
      if (!ext.empty() && ext[0] == '.') ext = ext.substr(1);
      if (!ext.empty()) list.push_back(ext);
    }
    if (list.empty()) continue;
    std::string pattern;
    if (list.size() == 1) {
      pattern = list[0] == "*" ? "*" : "*." + list[0];
    } else {
      pattern = "*.{";
      for (size_t i = 0; i < list.size(); i++) pattern += (i ? "," : "") + list[i];
      pattern += "}";
    }
    if (!result.empty()) result += "\n";
    result += (description.empty() ? pattern : description) + "\t" + pattern;
  }
  return result;
}

void ShowNotice(const std::string& text, const DialogHost& host) {
  RepaintWhileOpen open(host);
  fl_message_title(kDialogTitle);
  fl_message("%s", text.c_str());
}

bool AskYesNo(const std::string& text, const DialogHost& host) {
  RepaintWhileOpen open(host);
  fl_message_title(kDialogTitle);
  // Button 1 ("Ja") is FLTK's return button, Escape answers "Nein".
  return fl_choice("%s", "Nein", "Ja", nullptr, text.c_str()) == 1;
}

std::string ChooseFile(const std::string& title, const std::string& filter, bool save,
                       const std::string& initialPath, const DialogHost& host) {
  RepaintWhileOpen open(host);
  Fl_Native_File_Chooser chooser;
  chooser.title(title.c_str());
  chooser.type(save ? Fl_Native_File_Chooser::BROWSE_SAVE_FILE
                    : Fl_Native_File_Chooser::BROWSE_FILE);
  if (save) chooser.options(Fl_Native_File_Chooser::SAVEAS_CONFIRM);
  std::string fltkFilter = FltkFilter(filter);
  if (!fltkFilter.empty()) chooser.filter(fltkFilter.c_str());

  namespace fs = std::filesystem;
  std::error_code error;
  std::string folder, file;
  if (!initialPath.empty()) {
    if (fs::is_directory(initialPath, error)) {
      folder = initialPath;
    } else {
      fs::path path(initialPath);
      folder = path.parent_path().string();
      file = path.filename().string();
    }
  }
  if (!folder.empty() && fs::is_directory(folder, error)) {
    chooser.directory(folder.c_str());
    // FLTK's chooser takes a bare preset name as relative to the current
    // directory: give it the whole path.
    if (!file.empty()) chooser.preset_file((fs::path(folder) / file).string().c_str());
  }

  if (chooser.show() != 0) return "";
  const char* picked = chooser.filename();
  return picked ? picked : "";
}

}  // namespace sdl_backend
