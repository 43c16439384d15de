// The drawing state, the transform, pictures and text as textured quads.
#include <algorithm>
#include <cmath>
#include <map>

#include "platform/backend.h"
#include "platform/platform.h"
#include "platform/platform_internal.h"

namespace {

// The text font before the game loads its own: it has no glyphs, so text
// draws nothing, measures 0 wide and 0 high.
class EmptyFont : public TFont {
 public:
  int Style() const override { return 0; }
  int Height() const override { return 0; }
  int CountGlyphs() const override { return 0; }
  int CharToGlyph(int) const override { return -1; }
  const TGlyph* LoadGlyph(int) override { return &none_; }

 private:
  class NoGlyph : public TGlyph {
   public:
    const std::vector<uint8_t>* Pixels() const override { return nullptr; }
    float Advance() const override { return 0.0f; }
    void GetRect(int& x, int& y, int& width, int& height) const override {
      x = y = width = height = 0;
    }
  } none_;
};

DrawState state;
FontRef textFont;

// Glyphs of fonts that are not cut from one picture become pictures the
// first time they are drawn; a null entry means "nothing visible".
std::map<const TGlyph*, PictureRef> glyphPictures;

FontRef DefaultFont() {
  static FontRef font = std::make_shared<EmptyFont>();
  return font;
}

void UpdateTransform() {
  double radians = double(state.rotation) * 3.14159265358979323846 / 180.0;
  double c = std::cos(radians), s = std::sin(radians);
  state.ix = float(c * state.scaleX);
  state.iy = float(-s * state.scaleY);
  state.jx = float(s * state.scaleX);
  state.jy = float(c * state.scaleY);
}

// Fills the corners of the local rectangle (left, top)-(right, bottom) of a
// quad placed at (x, y).
void SetCorners(DrawCommand& command, float x, float y, float left, float top, float right,
                float bottom) {
  const float px[4] = {left, right, right, left};
  const float py[4] = {top, top, bottom, bottom};
  for (int i = 0; i < 4; ++i) {
    command.cornerX[i] = x + px[i] * state.ix + py[i] * state.iy;
    command.cornerY[i] = y + px[i] * state.jx + py[i] * state.jy;
  }
}

PictureRef GlyphPicture(const TGlyph* glyph, int& frame) {
  if (PictureRef strip = glyph->Picture()) {
    frame = glyph->PictureFrame();
    return strip;
  }
  frame = 0;
  auto cached = glyphPictures.find(glyph);
  if (cached != glyphPictures.end()) return cached->second;
  PictureRef picture;
  const std::vector<uint8_t>* pixels = glyph->Pixels();
  int gx, gy, gw, gh;
  glyph->GetRect(gx, gy, gw, gh);
  bool visible = false;
  if (pixels && gh > 0 && pixels->size() >= size_t(gh) * 4) {
    for (size_t i = 3; i < pixels->size(); i += 4) visible = visible || (*pixels)[i] > 0;
  }
  if (visible) {
    picture = platform_detail::NewPicture();
    picture->name = "glyph";
    picture->height = picture->sheetHeight = gh;
    picture->width = picture->sheetWidth = int(pixels->size() / 4 / size_t(gh));
    picture->rgba.assign(pixels->begin(),
                         pixels->begin() + size_t(picture->width) * size_t(gh) * 4);
    picture->hasAlpha = true;
    platform_detail::EnsureUploaded(*picture);
  }
  glyphPictures[glyph] = picture;
  return picture;
}

}  // namespace

namespace platform_detail {
void ResetDrawing() {
  ResetDrawState();
  textFont = DefaultFont();
  glyphPictures.clear();
}
}  // namespace platform_detail

const DrawState& CurrentDrawState() { return state; }

void ResetDrawState() {
  state = DrawState{};
  UpdateTransform();
}

void SetColor(int red, int green, int blue) {
  state.red = std::clamp(red, 0, 255);
  state.green = std::clamp(green, 0, 255);
  state.blue = std::clamp(blue, 0, 255);
}

void SetAlpha(float alpha) { state.alpha = alpha; }
void SetBlend(int mode) { state.blend = mode; }

void SetDrawScale(float scaleX, float scaleY) {
  state.scaleX = scaleX;
  state.scaleY = scaleY;
  UpdateTransform();
}

void SetDrawRotation(float degrees) {
  state.rotation = degrees;
  UpdateTransform();
}

void SetOrigin(float x, float y) {
  state.originX = x;
  state.originY = y;
}

void TransformPoint(float x, float y, float px, float py, float& outX, float& outY) {
  outX = x + state.originX + px * state.ix + py * state.iy;
  outY = y + state.originY + px * state.jx + py * state.jy;
}

void BlendPixel(int mode, const float src[4], float dst[3]) {
  float a = src[3];
  for (int i = 0; i < 3; ++i) {
    switch (mode) {
      case kBlendMask:
        if (a >= 0.5f) dst[i] = src[i];
        break;
      case kBlendAlpha:
        dst[i] = src[i] * a + dst[i] * (1.0f - a);
        break;
      case kBlendLight:
        dst[i] = std::min(1.0f, src[i] * a + dst[i]);
        break;
      case kBlendShade:
        dst[i] = src[i] * dst[i];
        break;
      default:
        dst[i] = src[i];
        break;
    }
  }
}

void DrawPicture(const PictureRef& picture, float x, float y, int frame) {
  if (!picture || frame < 0 || frame >= picture->frameCount) return;
  platform_detail::EnsureUploaded(*picture);
  DrawCommand command;
  command.kind = DrawCommand::kPicture;
  command.picture = picture.get();
  command.frame = frame;
  command.x = x + state.originX;
  command.y = y + state.originY;
  command.state = state;
  SetCorners(command, command.x, command.y, -picture->handleX, -picture->handleY,
             static_cast<float>(picture->width) - picture->handleX,
             static_cast<float>(picture->height) - picture->handleY);
  platform_detail::FrameRect(*picture, frame, command.u0, command.v0, command.u1, command.v1);
  CurrentBackend().Draw(command);
}

void DrawRect(float x, float y, float width, float height) {
  DrawCommand command;
  command.kind = DrawCommand::kRect;
  command.x = x + state.originX;
  command.y = y + state.originY;
  command.state = state;
  SetCorners(command, command.x, command.y, 0.0f, 0.0f, width, height);
  CurrentBackend().Draw(command);
}

// One kText command for the whole call (its corners span the band the text
// covers for fonts standing on the line y), then one quad per glyph, the
// pen moving along the transformed x axis.
void DrawTextAt(const std::string& text, float x, float y) {
  TFont& font = *CurrentTextFont();
  Backend& backend = CurrentBackend();
  DrawCommand line;
  line.kind = DrawCommand::kText;
  line.text = text;
  line.x = x + state.originX;
  line.y = y + state.originY;
  line.state = state;
  SetCorners(line, line.x, line.y, 0.0f, float(-font.Height()), float(MeasureTextWidth(text)),
             0.0f);
  backend.Draw(line);

  float pen = 0.0f;
  for (int code : TextCodes(text)) {
    int index = font.CharToGlyph(code);
    if (index < 0) continue;
    const TGlyph* glyph = font.LoadGlyph(index);
    if (!glyph) continue;
    int frame = 0;
    if (PictureRef picture = GlyphPicture(glyph, frame);
        picture && frame >= 0 && frame < picture->frameCount) {
      int gx, gy, gw, gh;
      glyph->GetRect(gx, gy, gw, gh);
      platform_detail::EnsureUploaded(*picture);
      DrawCommand command;
      command.kind = DrawCommand::kPicture;
      command.picture = picture.get();
      command.frame = frame;
      command.state = state;
      command.x = line.x + pen * state.ix;
      command.y = line.y + pen * state.jx;
      float left = pen + float(gx), top = float(gy);
      SetCorners(command, line.x, line.y, left, top, left + float(picture->width),
                 top + float(picture->height));
      platform_detail::FrameRect(*picture, frame, command.u0, command.v0, command.u1, command.v1);
      backend.Draw(command);
    }
    pen += glyph->Advance();
  }
}

void SetTextFont(FontRef font) {
  if (!font) font = DefaultFont();
  if (font != textFont) glyphPictures.clear();
  textFont = std::move(font);
}

FontRef CurrentTextFont() {
  if (!textFont) textFont = DefaultFont();
  return textFont;
}

int MeasureTextWidth(const std::string& text) {
  TFont& font = *CurrentTextFont();
  int width = 0;
  for (int code : TextCodes(text)) {
    int index = font.CharToGlyph(code);
    if (index < 0) continue;
    if (const TGlyph* glyph = font.LoadGlyph(index)) width = int(float(width) + glyph->Advance());
  }
  return width;
}

int MeasureTextHeight(const std::string&) { return CurrentTextFont()->Height(); }

// Malformed UTF-8 bytes are taken as Latin-1, so texts read from old files
// still show their umlauts.
std::vector<int> TextCodes(const std::string& utf8) {
  std::vector<int> codes;
  const auto* s = reinterpret_cast<const unsigned char*>(utf8.data());
  size_t n = utf8.size();
  for (size_t i = 0; i < n;) {
    unsigned char c = s[i];
    int length = c < 0x80           ? 1
                 : (c >> 5) == 0x6  ? 2
                 : (c >> 4) == 0xE  ? 3
                 : (c >> 3) == 0x1E ? 4
                                    : 0;
    bool valid = length > 0 && i + length <= n;
    int code = length == 1 ? c : length == 2 ? c & 0x1F : length == 3 ? c & 0x0F : c & 0x07;
    for (int k = 1; valid && k < length; ++k) {
      if ((s[i + k] & 0xC0) != 0x80) valid = false;
      code = (code << 6) | (s[i + k] & 0x3F);
    }
    if (valid && length > 1 && code < 0x80) valid = false;  // overlong
    if (!valid) {
      codes.push_back(c);
      i += 1;
    } else {
      codes.push_back(code);
      i += size_t(length);
    }
  }
  return codes;
}

// ---------------------------------------------------------------- font system

namespace {
std::vector<std::shared_ptr<TFontLoader>>& Loaders() {
  static std::vector<std::shared_ptr<TFontLoader>> loaders;
  return loaders;
}
}  // namespace

void RegisterFontLoader(std::shared_ptr<TFontLoader> loader) {
  if (loader) Loaders().push_back(std::move(loader));
}

FontRef LoadImageFont(const std::string& source, int size, int style) {
  platform_detail::RegisterBuiltinFontLoaders();
  for (const auto& loader : Loaders())
    if (FontRef font = loader->LoadFont(source, size, style)) return font;
  return nullptr;
}
