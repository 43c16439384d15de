#include "platform/sdl/fltk_dialogs.h"

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_File_Chooser.H>
#include <FL/Fl_File_Input.H>
#include <FL/Fl_Window.H>
#include <FL/fl_ask.H>

#include <algorithm>
#include <filesystem>
#include <sstream>

#include "platform/platform_internal.h"
#include "platform/sdl/fltk_style.h"

namespace sdl_backend {

namespace {

constexpr const char* kDialogTitle = "Kavro";
constexpr double kRepaintSeconds = 0.1;
constexpr const char* kFileExistsMessage = "Die Datei gibt es schon. Überschreiben?";

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
  StyleFltk();  // first: it also keeps FLTK's preferences out of HOME
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
}

// A termination signal closes whatever dialog is open as if cancelled: the
// message box through its close button (FLTK answers the first button,
// "Nein" or "Abbrechen"), every other window by hiding it. The game's loop
// then sees the close request and ends the normal way, saving the game.
void CloseDialogsIfSignalled(void* = nullptr) {
  platform_detail::DrainSignalWake();
  if (!platform_detail::SignalEndPending()) return;
  Fl_Window* box = fl_message_icon()->window();
  for (int guard = 0; guard < 100; ++guard) {
    Fl_Window* window = Fl::first_window();
    if (!window) break;
    if (window == box)
      window->do_callback();
    else
      window->hide();
  }
}

void SignalWake(FL_SOCKET, void*) { CloseDialogsIfSignalled(); }

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
    // A signal wakes FLTK from its wait through the handler's pipe; one
    // that came before the dialog closes it as soon as it is shown.
    if (wakeFd_ >= 0) Fl::add_fd(wakeFd_, FL_READ, SignalWake);
    Fl::add_timeout(0.0, CloseDialogsIfSignalled);
  }
  // A message box opened while another dialog is up is centred as well.
  void CentreNextBox() {
    if (centre_[0] >= 0 && centre_[1] >= 0) Fl::add_timeout(0.0, CentreBox, centre_);
    Fl::add_timeout(0.0, CloseDialogsIfSignalled);
  }
  ~RepaintWhileOpen() {
    if (wakeFd_ >= 0) Fl::remove_fd(wakeFd_);
    Fl::remove_timeout(CloseDialogsIfSignalled);
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
  int wakeFd_ = platform_detail::SignalWakeFd();
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

namespace {

bool ContinuationByte(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

void DropLastCharacter(std::string& s) {
  while (!s.empty()) {
    const char c = s.back();
    s.pop_back();
    if (!ContinuationByte(c)) break;
  }
}

void DropFirstCharacter(std::string& s) {
  size_t length = 1;
  while (length < s.size() && ContinuationByte(s[length])) ++length;
  s.erase(0, length);
}

}  // namespace

std::string ElideLongLines(const std::string& text, double maxWidth,
                           const std::function<double(const std::string&)>& width) {
  std::string result;
  std::stringstream lines(text);
  std::string line;
  for (bool first = true; std::getline(lines, line, '\n'); first = false) {
    if (width(line) > maxWidth) {
      // Whole characters go from the middle, from the longer side first,
      // so both the start and the end of a path stay readable.
      const size_t characters = size_t(
          std::count_if(line.begin(), line.end(), [](char c) { return !ContinuationByte(c); }));
      size_t cut = 0;
      for (size_t passed = 0; cut < line.size(); ++cut)
        if (!ContinuationByte(line[cut]) && passed++ == characters / 2) break;
      std::string front = line.substr(0, cut), back = line.substr(cut);
      size_t frontCount = characters / 2, backCount = characters - frontCount;
      while (width(front + "…" + back) > maxWidth && backCount > 0) {
        if (frontCount >= backCount) {
          DropLastCharacter(front);
          frontCount--;
        } else {
          DropFirstCharacter(back);
          backCount--;
        }
      }
      line = front + "…" + back;
    }
    result += (first ? "" : "\n") + line;
  }
  return result;
}

void ShowNotice(const std::string& text, const DialogHost& host) {
  RepaintWhileOpen open(host);
  fl_message_title(kDialogTitle);
  // A line wider than the screen (a long path) would push the box and its
  // button off it: the middle of the line gives way.
  const double maxWidth = std::max(300, std::min(Fl::w() - 160, 900));
  Fl_Box measure(0, 0, 0, 0);
  measure.labelfont(FL_HELVETICA);
  measure.labelsize(FL_NORMAL_SIZE);
  const std::string shown = ElideLongLines(text, maxWidth, [&measure](const std::string& line) {
    measure.copy_label(line.c_str());
    int w = 0, h = 0;
    measure.measure_label(w, h);
    return double(w);
  });
  fl_message("%s", shown.c_str());
}

bool AskYesNo(const std::string& text, const DialogHost& host) {
  RepaintWhileOpen open(host);
  fl_message_title(kDialogTitle);
  // Button 1 ("Ja") is FLTK's return button, Escape answers "Nein".
  return fl_choice("%s", "Nein", "Ja", nullptr, text.c_str()) == 1;
}

namespace {

// The chooser's own name field makes a typed relative name absolute against
// the working directory and leaves the cursor at the front, so the next key
// lands before the path. The field's callback is wrapped: a relative name is
// made whole against the folder the chooser shows, with the cursor kept
// after what was typed, before FLTK's completion sees it.
struct NameField {
  Fl_File_Chooser* chooser = nullptr;
  Fl_Callback* original = nullptr;
  void* data = nullptr;
};

void NameFieldChanged(Fl_Widget* widget, void* raw) {
  auto* field = static_cast<NameField*>(raw);
  auto* input = static_cast<Fl_Input*>(widget);
  const std::string typed = input->value() ? input->value() : "";
  // FLTK takes a name whose only slash is the leading one as a change to the
  // folder "" (its list of file systems), which empties the field: the "/"
  // just typed is lost and the rest of the path lands in the wrong folder.
  // The root is shown first instead, so the typed text stays as it is.
  const char* shown = field->chooser->directory();
  if (typed[0] == '/' && typed.find('/', 1) == std::string::npos &&
      (!shown || std::string(shown) != "/")) {
    const int cursor = input->position();
    field->chooser->directory("/");
    input->value(typed.c_str());
    input->position(cursor);
  }
  const std::string whole = ChooserWholeName(field->chooser->directory(), typed);
  if (whole != typed) {
    const int cursor = input->position() + int(whole.size() - typed.size());
    input->value(whole.c_str());
    input->position(cursor);
  }
  if (field->original) field->original(widget, field->data);
}

Fl_File_Input* FindNameInput(Fl_Group* group) {
  for (int i = 0; i < group->children(); ++i) {
    Fl_Widget* child = group->child(i);
    if (auto* input = dynamic_cast<Fl_File_Input*>(child)) return input;
    if (auto* inner = child->as_group())
      if (Fl_File_Input* found = FindNameInput(inner)) return found;
  }
  return nullptr;
}

}  // namespace

std::string ChooserWholeName(const std::string& folder, const std::string& typed) {
  // Absolute names, and the ~ and $ forms FLTK expands itself, stay as typed.
  if (typed.empty() || folder.empty() || typed[0] == '/' || typed[0] == '~' || typed[0] == '$')
    return typed;
  return folder.back() == '/' ? folder + typed : folder + "/" + typed;
}

std::string WithSoleExtension(const std::string& filter, const std::string& path) {
  std::string extension;
  std::stringstream entries(FltkFilter(filter));
  std::string entry;
  int count = 0;
  while (std::getline(entries, entry, '\n')) {
    const std::string pattern = entry.substr(entry.find('\t') + 1);
    if (pattern.rfind("*.", 0) != 0 || pattern.find_first_of("{*?[", 2) != std::string::npos)
      return path;
    extension = pattern.substr(1);
    count++;
  }
  if (count != 1 || path.empty() || path.back() == '/') return path;
  if (path.size() > extension.size() &&
      path.compare(path.size() - extension.size(), extension.size(), extension) == 0)
    return path;
  return path + extension;
}

std::string ChooserPatterns(const std::string& fltkFilter) {
  std::string result;
  std::stringstream entries(fltkFilter);
  std::string entry;
  while (std::getline(entries, entry, '\n')) {
    const size_t tab = entry.find('\t');
    if (tab == std::string::npos) continue;
    if (!result.empty()) result += "\t";
    result += entry.substr(0, tab) + " (" + entry.substr(tab + 1) + ")";
  }
  return result;
}

std::string ChooseFile(const std::string& title, const std::string& filter, bool save,
                       const std::string& initialPath, const DialogHost& host) {
  RepaintWhileOpen open(host);

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
  if (folder.empty() || !fs::is_directory(folder, error)) {
    folder = fs::current_path(error).string();
    file.clear();
  }

  const std::string patterns = ChooserPatterns(FltkFilter(filter));
  Fl_File_Chooser chooser(folder.c_str(), patterns.empty() ? nullptr : patterns.c_str(),
                          save ? Fl_File_Chooser::CREATE : Fl_File_Chooser::SINGLE, title.c_str());
  chooser.preview(0);
  if (!file.empty()) chooser.value((fs::path(folder) / file).string().c_str());

  Fl_Window* window = chooser.newButton->window();
  NameField field;
  Fl_File_Input* input = window ? FindNameInput(window) : nullptr;
  if (input) {
    field = {&chooser, input->callback(), input->user_data()};
    input->callback(NameFieldChanged, &field);
  }

  const auto shownFolder = [&] {
    const std::string shown = chooser.directory();
    return shown.empty() ? folder : shown;
  };
  for (bool first = true;;) {
    if (platform_detail::SignalEndPending()) return "";
    chooser.show();
    // show() puts the requester under the pointer; over the game window's
    // centre it is where the message boxes are.
    if (window && host.centreX >= 0 && host.centreY >= 0)
      window->position(host.centreX - window->w() / 2, host.centreY - window->h() / 2);
    // Without a proposed name the field holds the folder with its closing
    // slash, selected: a typed name replaces it, a name typed after it
    // lands in the folder.
    if (input && file.empty() && first) {
      std::string shown = shownFolder();
      if (shown.empty() || shown.back() != '/') shown += '/';
      input->value(shown.c_str());
      input->position(input->size(), 0);
    }
    first = false;
    while (chooser.shown() && !platform_detail::SignalEndPending()) Fl::wait();
    if (platform_detail::SignalEndPending()) {
      chooser.hide();
      return "";
    }
    const char* picked = chooser.value();
    if (!picked || !picked[0] || chooser.count() == 0) return "";
    std::string path = ChooserWholeName(shownFolder(), picked);
    if (fs::is_directory(path, error)) continue;  // a folder is no game: ask again
    // The name is made final here, so the question below names the file
    // that would really be replaced.
    if (save) path = WithSoleExtension(filter, path);
    if (fs::is_directory(path, error)) continue;
    if (!save || !fs::exists(fs::symlink_status(path, error))) return path;
    fl_message_title(kDialogTitle);
    open.CentreNextBox();
    if (fl_choice("%s", "Abbrechen", "Überschreiben", nullptr, kFileExistsMessage) == 1)
      return path;
    // Not overwritten: the requester opens again for another name.
  }
}

}  // namespace sdl_backend
