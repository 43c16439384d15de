// The services every other folder calls: window, drawing, input, time,
// chance, sound, dialogs, files and embedded resources. Plain functions that
// forward to the Backend chosen at start-up (backend.h); the deterministic
// parts (pacing arithmetic, transform, random generator, text measuring) live
// here so both backends share them.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

// ---------------------------------------------------------------- pictures

class Backend;

// One picture: width and height of one frame, one or more frames cut from an
// image, and a handle about which it is placed, scaled and rotated.
// (Shared from itself so a draw log can keep the pictures it names alive.)
struct Picture : std::enable_shared_from_this<Picture> {
  std::string name;  // resource name or path it was loaded from
  int width = 0;     // of one frame
  int height = 0;
  int frameCount = 1;
  float handleX = 0.0f;
  float handleY = 0.0f;
  int texture = -1;  // backend's handle of the uploaded pixels
  // Decoded RGBA pixels of the whole sheet (frames laid out as cells). A
  // picture loaded from a resource or file lets them go once they are
  // uploaded (reloadable: PicturePixels decodes them again from there);
  // one made in memory keeps them.
  int sheetWidth = 0;
  int sheetHeight = 0;
  int cellsPerRow = 1;  // how the frames are laid out on the sheet
  int firstCell = 0;
  std::vector<uint8_t> rgba;            // sheetWidth * sheetHeight * 4, or empty
  bool hasAlpha = false;                // the source image had an alpha channel
  bool reloadable = false;              // rgba can be decoded again from name
  int maskedColour = -1;                // 0xRRGGBB made transparent at loading, or -1
  std::weak_ptr<Backend> textureOwner;  // the backend that holds texture
};
using PictureRef = std::shared_ptr<Picture>;

// The sheet's pixels as loaded (RGBA, sheetWidth * sheetHeight * 4): those
// the picture holds, else decoded again from where it was loaded; empty
// when there are none (or the file it came from changed or went since).
std::vector<uint8_t> PicturePixels(const Picture& picture);

// ---------------------------------------------------------------- fonts

// A glyph of the font system: its pixels, advance and rectangle.
class TGlyph {
 public:
  virtual ~TGlyph() = default;
  virtual const std::vector<uint8_t>* Pixels() const = 0;  // RGBA or null
  virtual float Advance() const = 0;
  virtual void GetRect(int& x, int& y, int& width, int& height) const = 0;
  // Where the glyph's pixels can be drawn from: a picture and its frame.
  // Fonts cut from one strip answer the strip, so a line of text is drawn
  // from one texture.
  virtual PictureRef Picture() const { return nullptr; }
  virtual int PictureFrame() const { return 0; }
};

class TFont {
 public:
  virtual ~TFont() = default;
  virtual int Style() const = 0;
  virtual int Height() const = 0;
  virtual int CountGlyphs() const = 0;
  virtual int CharToGlyph(int code) const = 0;     // -1 when none
  virtual const TGlyph* LoadGlyph(int index) = 0;  // never null
};
using FontRef = std::shared_ptr<TFont>;

class TFontLoader {
 public:
  virtual ~TFontLoader() = default;
  virtual FontRef LoadFont(const std::string& source, int size, int style) = 0;
};

// Font system: loaders are tried in turn (registered at start-up).
void RegisterFontLoader(std::shared_ptr<TFontLoader> loader);
FontRef LoadImageFont(const std::string& source, int size, int style);

// ---------------------------------------------------------------- window

void OpenWindow(int width, int height, int hertz);
void SetWindowTitle(const std::string& title);
void PresentFrame();
// Runs hook after every presented frame (one hook; nullptr removes it).
void AfterEveryFrame(std::function<void()> hook);
int ScreenWidth();
int ScreenHeight();

// ---------------------------------------------------------------- drawing

enum BlendMode {
  kBlendMask = 1,
  kBlendSolid = 2,
  kBlendAlpha = 3,
  kBlendLight = 4,
  kBlendShade = 5
};

struct DrawState {
  int red = 255, green = 255, blue = 255;
  float alpha = 1.0f;
  int blend = kBlendMask;
  float rotation = 0.0f;
  float scaleX = 1.0f, scaleY = 1.0f;
  float ix = 1.0f, iy = 0.0f, jx = 0.0f, jy = 1.0f;
  float originX = 0.0f, originY = 0.0f;
};

const DrawState& CurrentDrawState();
void ResetDrawState();  // the values at window opening

void SetColor(int red, int green, int blue);
void SetAlpha(float alpha);
void SetBlend(int mode);
void SetDrawScale(float scaleX, float scaleY);
void SetDrawRotation(float degrees);
void SetOrigin(float x, float y);
// Where a local point (px, py) of a picture drawn at (x, y) lands.
void TransformPoint(float x, float y, float px, float py, float& outX, float& outY);

// The five blend modes on one pixel, as the GPU is set up to do them: src is
// the texel already multiplied by colour and alpha (0..1 each), dst the
// framebuffer's red, green and blue (0..1), changed in place. Mode 1 draws
// only where src alpha is at least 0.5; unknown modes act as 2.
void BlendPixel(int mode, const float src[4], float dst[3]);

void DrawPicture(const PictureRef& picture, float x, float y, int frame);
void DrawRect(float x, float y, float width, float height);
void DrawTextAt(const std::string& text, float x, float y);
// Until the game sets its font, text uses an empty one: it draws nothing
// and measures 0. SetTextFont(nullptr) returns to it.
void SetTextFont(FontRef font);
FontRef CurrentTextFont();
int MeasureTextWidth(const std::string& text);
int MeasureTextHeight(const std::string& text);

PictureRef LoadPicture(const std::string& resource);
PictureRef LoadPictureStrip(const std::string& resource, int cellWidth, int cellHeight,
                            int firstCell, int cellCount);
void CentreHandle(const PictureRef& picture);
int PictureWidth(const PictureRef& picture);
int PictureHeight(const PictureRef& picture);
void SetTransparentColor(int red, int green, int blue);

// Texts are UTF-8 in the program; the font system works with Latin-1 codes.
std::vector<int> TextCodes(const std::string& utf8);

// ---------------------------------------------------------------- input

// Windows virtual-key numbering.
enum KeyCode {
  kKeyEnter = 13,
  kKeyEscape = 27,
  kKeySpace = 32,
  kKeyPageUp = 33,
  kKeyPageDown = 34,
  kKeyLeft = 37,
  kKeyUp = 38,
  kKeyRight = 39,
  kKeyDown = 40,
  kKeyLeftCtrl = 162,
  kKeyRightCtrl = 163,
  kKeyLeftAlt = 164,
  kKeyRightAlt = 165
};

int KeyPressCount(int key);
int KeyIsDown(int key);
int NextTypedChar();
void ClearKeys();
int PointerX();
int PointerY();
int WheelPosition();
int ButtonIsDown(int button);  // 1 left, 2 right, 3 middle
int ButtonPressCount(int button);
void ClearMouse();
int CloseRequested();

// What the backends feed in when they read their event queue.
namespace input {
void KeyEvent(int key, bool down);  // a down while held (auto-repeat) is no press
void TypedChar(int code);           // dropped when 256 wait unread
void PointerMoved(int x, int y);
void ButtonEvent(int button, bool down);  // 1 left, 2 right, 3 middle
void WheelMoved(int notches);             // +1 away from the user
void CloseRequest();
void ResetAll();
}  // namespace input

// ---------------------------------------------------------------- time and chance

int ClockMs();

struct Ticker {
  double hertz = 60.0;
  double nextTick = 0.0;  // ms on the clock
  // Ticks are counted from an origin so their times do not drift.
  int64_t origin = 0;
  int64_t count = 0;
};
using TickerRef = std::shared_ptr<Ticker>;
TickerRef CreateTicker(double hertz);
void WaitTick(const TickerRef& ticker);

void SeedRandom(int32_t seed);
void SeedRandomAtStart();  // from the backend's StartSeed
int32_t RandomState();
float RandomFloat(float a, float b);
int RandomInt(int a, int b);

// ---------------------------------------------------------------- sound

struct SoundClip {
  std::string name;
  int id = -1;           // backend's handle
  double seconds = 0.0;  // length of the decoded music
};
using SoundClipRef = std::shared_ptr<SoundClip>;
using Channel = int;  // 0 = none
constexpr Channel kNoChannel = 0;

SoundClipRef LoadSoundClip(const std::string& resource);
Channel PlayClip(const SoundClipRef& clip);
int Playing(Channel channel);
void Stop(Channel channel);

// ---------------------------------------------------------------- dialogs

void Notify(const std::string& text);
int Confirm(const std::string& text);
std::string RequestFile(const std::string& title, const std::string& filter, int save,
                        const std::string& initialPath);

// ---------------------------------------------------------------- files

struct StreamError : std::runtime_error {
  explicit StreamError(const std::string& what) : std::runtime_error(what) {}
};

class FileStream;
using StreamRef = std::shared_ptr<FileStream>;

// Both open only regular files and never wait: a FIFO, a device or a
// folder gives null. Opening for writing creates or truncates the file.
StreamRef OpenForReading(const std::string& path);
StreamRef OpenForWriting(const std::string& path);
// The whole of a regular file (links followed) of at most maxBytes; false,
// with bytes empty, for anything else or anything longer.
bool ReadRegularFile(const std::string& path, size_t maxBytes, std::vector<uint8_t>& bytes);
int ReadByte(const StreamRef& stream);  // throws StreamError past the end
void WriteByte(const StreamRef& stream, int value);
std::string ReadLine(const StreamRef& stream);
void WriteLine(const StreamRef& stream, const std::string& text);
bool Eof(const StreamRef& stream);
// Closes the stream; false when the data could not be written completely.
bool Close(const StreamRef& stream);

int PathType(const std::string& path);  // 0 nothing, 1 file, 2 directory
std::string AbsolutePath(const std::string& path);
std::string DirectoryPart(const std::string& path);
std::string HomeDirectory();  // HOME, or the password database's entry

// Writes bytes to a temporary file beside path and renames it over path,
// so an interrupted write never destroys the old file. A link is followed
// and its final target replaced; a read-only file is left alone (false, a
// line on stderr); in a folder the player cannot write in, a writable file
// is rewritten in place. Temporaries a killed game left there are removed.
bool WriteFileAtomically(const std::string& path, const std::vector<uint8_t>& bytes);
// The same write, done by a worker thread so the frame loop never waits on
// the disk. The newest bytes handed over for a path win.
void WriteFileInBackground(const std::string& path, std::vector<uint8_t> bytes);
// Waits until everything handed over has been written.
void FinishBackgroundWrites();

// Renames a file, a link or anything else at from (replacing to).
bool RenamePath(const std::string& from, const std::string& to);
// Removes a file or a link (not what it points to).
bool RemovePath(const std::string& path);

// ---------------------------------------------------------------- program end

// Every way out of the program throws this; StartGame catches it and runs
// the AtProgramEnd handlers once.
struct ProgramExit {
  int code = 0;
};
[[noreturn]] void EndProgram(int code = 0);
// SIGTERM, SIGINT and SIGHUP become a close request (CloseRequested), so a
// logout ends the game through the normal way out and saves it.
void InstallSignalHandlers();
void AtProgramEnd(std::function<void()> handler);
void RunProgramEndHandlers();  // runs each registered handler once
void ClearProgramEndHandlers();

// ---------------------------------------------------------------- resources

// Embedded bytes by "incbin::media/NAME"; an empty span (null data) when
// there is none.
std::span<const uint8_t> FindResource(const std::string& name);
std::vector<std::string> ResourceNames();
// Bytes of a resource or of a regular file on disk.
bool ReadSourceBytes(const std::string& source, std::vector<uint8_t>& bytes);

// ---------------------------------------------------------------- whole state

// Puts every service back to its start-up state: drawing state, text font,
// input, random state, program-end handlers, frame pacing and transparent
// colour. Tests start from here (InstallHeadlessBackend calls it).
void ResetPlatformState();
