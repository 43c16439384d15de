#include "engine_link/engine_link.h"

#include <algorithm>
#include <vector>

#include "platform/platform.h"
#include "platform/udp_stream.h"
#include "screens/menu_docks.h"
#include "screens/stone_flight.h"
#include "view/board_view.h"
#include "view/presentation.h"

const char* const kExternalMoveCancelled =
    "Der Versuch, via UDP-Netzwerk einen\nexternen Spielzug als Reaktion zum\n"
    "aktuellen Spielzustand zu erhalten,\nwird ergebnislos abgebrochen.";
const char* const kReplyIncomplete =
    "Error while receiving reaction:\nThe informations are not complete!";
const char* const kReplyRejectedLead =
    "Der gesendete Spielzug wird nicht\numgesetzt, weil er fehlerhaft ist:\n";

namespace {

const char* const kNoSocket = "Can't create socket";
const char* const kLoopback = "127.0.0.1";
const char* const kWaitingText = "Warten auf externen Spielzug";
const char* const kCancelHint = "(Abbrechen mit ESCAPE)";

constexpr float kVeilStep = 0.02f;  // the veil fades in over 50 frames
constexpr float kVeilOpacity = 0.6f;

std::string StreamFailure(const TNetworkError& error) {
  return std::string("Error\n ") + error.what();
}

void DrawCentredText(const char* text, float y) {
  float width = Scale * float(MeasureTextWidth(text));
  DrawTextAt(text, (float(WindowWidth) - width) / 2.0f, y);
}

void DrawWaitingScreen(float veil) {
  DrawBoardPicture();
  DrawStones();
  RunMenuDocks(1, 0);
  SetDrawScale(Scale, Scale);

  SetBlend(kBlendAlpha);
  SetAlpha(kVeilOpacity * veil);
  SetColor(16, 16, 16);
  DrawRect(0.0f, 0.0f, 1400.0f / Scale, 1000.0f / Scale);

  SetColor(255, 255, 255);
  SetAlpha(veil);
  float middle = float(WindowHeight / 2);
  DrawCentredText(kWaitingText, middle);
  DrawCentredText(kCancelHint, middle + Scale * float(MeasureTextHeight(kCancelHint)));
  SetAlpha(1.0f);
}

// A tap that went down and up between two frames counts as well as a held key.
bool EscapePressed() { return KeyPressCount(kKeyEscape) > 0 || KeyIsDown(kKeyEscape); }

// Escape counts once it is let go, so the key does not reach the screen
// that comes next.
void WaitForEscapeRelease() {
  while (KeyIsDown(kKeyEscape)) {
    if (CloseRequested()) EndProgram();
    WaitTick(Ticker);
  }
}

}  // namespace

std::array<uint8_t, kSquares> PositionDatagram(const BoardCells& board, int colour) {
  std::array<uint8_t, kSquares> bytes{};
  for (int x = 0; x < kBoardSize; ++x)
    for (int y = 0; y < kBoardSize; ++y) {
      int value = board[x][y];
      if (colour == kBlue && value != kEmpty) value = value == kYellow ? kBlue : kYellow;
      bytes[kBoardSize * x + y] = uint8_t(value);
    }
  return bytes;
}

BoardCells DatagramBoard(std::span<const uint8_t, kSquares> datagram, int colour) {
  BoardCells board{};
  for (int x = 0; x < kBoardSize; ++x)
    for (int y = 0; y < kBoardSize; ++y) {
      const uint8_t value = datagram[size_t(kBoardSize * x + y)];
      board[x][y] = value == 0 ? kEmpty : value == 1 ? colour : OtherColour(colour);
    }
  return board;
}

EngineReply CheckEngineReply(std::span<const uint8_t> datagram, const BoardCells& board) {
  EngineReply reply;
  if (datagram.size() < 2) {
    reply.answer = kReplyIncomplete;
    return reply;
  }
  int x = datagram[0];
  int y = datagram[1];
  // Each later finding replaces the earlier one.
  std::string message;
  if (x >= kBoardSize)
    message = "Die extern ermittelte Spalte = " + std::to_string(x) + " ist zu gross!";
  if (y >= kBoardSize)
    message = "Die extern ermittelte Reihe = " + std::to_string(y) + " ist zu gross!";
  if (x < kBoardSize && y < kBoardSize && board[x][y] != kEmpty)
    message =
        "Die Position [" + std::to_string(x) + "," + std::to_string(y) + "] ist bereits besetzt!";
  if (!message.empty()) {
    reply.answer = kReplyRejectedLead + message;
    return reply;
  }
  reply.valid = true;
  reply.x = x;
  reply.y = y;
  return reply;
}

std::string SendGameState(int colour) {
  TUDPStream stream;
  if (!stream.Init()) return kNoSocket;
  try {
    stream.SetRemoteIP(TNetwork::IntIP(kLoopback));
    stream.SetLocalPort(0);
    stream.SetRemotePort(kEnginePort);
    for (uint8_t byte : PositionDatagram(Board, colour)) stream.WriteByte(byte);
    stream.SendMsg();
    stream.Close();
    return "ok";
  } catch (const TNetworkError& error) {
    return StreamFailure(error);
  }
}

std::string AwaitExternalMove(int colour) {
  TUDPStream stream;
  if (!stream.Init()) return kNoSocket;
  try {
    // Only the loopback interface: the engine runs on this machine, and no
    // other host may place stones.
    stream.SetLocalIP(TNetwork::IntIP(kLoopback));
    stream.SetLocalPort(kMovePort);

    KeyPressCount(kKeyEscape);  // a press from before the wait is not a cancel
    float veil = 0.0f;
    for (;;) {
      veil = std::min(1.0f, veil + kVeilStep);
      DrawWaitingScreen(veil);
      PresentFrame();
      WaitTick(Ticker);
      if (CloseRequested()) EndProgram();
      if (EscapePressed()) {
        WaitForEscapeRelease();
        return kExternalMoveCancelled;
      }
      if (stream.RecvAvail()) break;
    }

    // The datagram is waiting; an empty one is taken too, so it cannot keep
    // the loop spinning.
    while (stream.RecvMsg(), !stream.Received()) {
      if (CloseRequested()) EndProgram();
      if (EscapePressed()) {
        WaitForEscapeRelease();
        return kExternalMoveCancelled;
      }
      WaitTick(Ticker);
    }

    std::vector<uint8_t> datagram;
    size_t wanted = std::min<size_t>(stream.Size(), 2);
    for (size_t i = 0; i < wanted; ++i) datagram.push_back(uint8_t(stream.ReadByte()));
    EngineReply reply = CheckEngineReply(datagram, Board);
    if (!reply.valid) return reply.answer;

    const int32_t move[2] = {reply.x, reply.y};
    ShowExternalMove(move, colour);
    PlaceStone(reply.x, reply.y, colour);
    stream.Close();
    return "ok";
  } catch (const TNetworkError& error) {
    return StreamFailure(error);
  }
}
