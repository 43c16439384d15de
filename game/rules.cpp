// Placing stones, the result check, take back, replay, turning the board.
#include <cstdlib>

#include "game/game_state.h"

namespace {

// The four directions in the order the scan tests them: column, falling
// diagonal, row, rising diagonal.
constexpr int kDirections[4][2] = {{0, 1}, {1, 1}, {1, 0}, {1, -1}};

bool FiveFrom(int x, int y, int dx, int dy, int colour) {
  if (!OnBoard(x + 4 * dx, y + 4 * dy)) return false;
  for (int step = 1; step <= 4; ++step)
    if (Board[x + step * dx][y + step * dy] != colour) return false;
  return true;
}

void ClearSquare(const std::array<int32_t, 2>& square) {
  if (OnBoard(square[0], square[1])) Board[square[0]][square[1]] = kEmpty;
}

bool BlueIsComputer() { return PlayerKind[kBlue] > Multiplayer; }

}  // namespace

void ResetGameStateGlobals() {
  for (auto& column : Board) column.fill(kEmpty);
  PlayerKind[0] = -1;
  PlayerKind[kYellow] = Human;
  PlayerKind[kBlue] = Spontane;
  for (auto& entry : History) entry = {-1, -1};
  MoveCount = 0;
  GameResult = 0;
  for (int i = 0; i < 5; ++i) WinRowX[i] = WinRowY[i] = -1;
  BlueBegins = 0;
  SkipBlueTurn = 0;
  Rotation = 0;
}

void PlaceStone(int x, int y, int colour) {
  if (!OnBoard(x, y) || MoveCount < 0 || MoveCount >= kSquares) return;
  Board[x][y] = colour;
  History[MoveCount] = {x, y};
  MoveCount += 1;
  for (int i = MoveCount; i < kSquares && History[i][0] > -1; ++i) History[i] = {-1, -1};
}

int32_t CheckGameResult() {
  for (int y = 0; y < kBoardSize; ++y)
    for (int x = 0; x < kBoardSize; ++x) {
      const int colour = Board[x][y];
      if (colour <= kEmpty) continue;
      for (const auto& d : kDirections) {
        if (!FiveFrom(x, y, d[0], d[1], colour)) continue;
        // From the far end back to the start square.
        for (int i = 0; i < 5; ++i) {
          WinRowX[i] = x + (4 - i) * d[0];
          WinRowY[i] = y + (4 - i) * d[1];
        }
        return colour;
      }
    }
  return NoOneCanWin() ? 3 : 0;
}

// Counts the windows directly, so a search that holds the evaluation tables
// is never disturbed.
bool NoOneCanWin() {
  for (int y = 0; y < kBoardSize; ++y)
    for (int x = 0; x < kBoardSize; ++x)
      for (const auto& d : kDirections) {
        if (!OnBoard(x + 4 * d[0], y + 4 * d[1])) continue;
        bool yellow = false, blue = false, empty = false;
        for (int step = 0; step < 5; ++step) {
          const int cell = Board[x + step * d[0]][y + step * d[1]];
          yellow |= cell == kYellow;
          blue |= cell == kBlue;
          empty |= cell == kEmpty;
        }
        if (empty && !(yellow && blue)) return false;
      }
  return true;
}

int TakeBack(int colour) {
  if (BlueIsComputer() && GameResult != colour) {
    if (MoveCount <= 1) return 0;
    ClearSquare(History[MoveCount - 1]);
    ClearSquare(History[MoveCount - 2]);
    MoveCount -= 2;
    GameResult = 0;
    return 1;
  }
  if (MoveCount <= 0) return 0;
  ClearSquare(History[MoveCount - 1]);
  MoveCount -= 1;
  GameResult = 0;
  if (BlueIsComputer()) SkipBlueTurn = 1;
  return 1;
}

int NextMoverColour(int onEmptyBoard) {
  int yellow = 0, blue = 0;
  for (const auto& column : Board)
    for (int32_t cell : column) {
      yellow += cell == kYellow;
      blue += cell == kBlue;
    }
  if (yellow != blue) return yellow < blue ? kYellow : kBlue;
  if (MoveCount > 0 && OnBoard(History[0][0], History[0][1])) {
    const int first = Board[History[0][0]][History[0][1]];
    if (first == kYellow || first == kBlue) return first;
  }
  return onEmptyBoard;
}

bool BlueToMove() { return NextMoverColour(BlueBegins == 1 ? kBlue : kYellow) == kBlue; }

namespace {

bool ReplayOne(int colour) {
  if (MoveCount < 0 || MoveCount >= kSquares) return false;
  const auto& square = History[MoveCount];
  if (!OnBoard(square[0], square[1])) return false;
  Board[square[0]][square[1]] = colour;
  MoveCount += 1;
  return true;
}

}  // namespace

// A replayed stone takes the colour of whoever made that move, not the
// acting colour: the Denker's search preparation acts as yellow during
// blue's turn, when the next move to replay is blue's.
int Replay(int colour) {
  const int first = NextMoverColour(colour);
  if (!ReplayOne(first)) return 0;
  if (PlayerKind[kBlue] != Multiplayer) ReplayOne(OtherColour(first));
  GameResult = CheckGameResult();
  return 1;
}

void RotateBoard() {
  Rotation = (Rotation + 1) % 4;
  BoardCells turned{};
  for (int x = 0; x < kBoardSize; ++x)
    for (int y = 0; y < kBoardSize; ++y) turned[14 - y][x] = Board[x][y];
  Board = turned;
  for (int i = 0; i < kSquares && History[i][0] > -1; ++i)
    History[i] = {14 - History[i][1], History[i][0]};
  for (int i = 0; i < 5; ++i)
    if (WinRowX[i] > -1) {
      const int x = WinRowX[i];
      WinRowX[i] = 14 - WinRowY[i];
      WinRowY[i] = x;
    }
}

void ResetForNewGame() {
  for (auto& entry : History) entry = {-1, -1};
  MoveCount = 0;
  for (auto& column : Board) column.fill(kEmpty);
  GameResult = 0;
}

bool GameIsConsistent(const BoardCells& board, const MoveList& history, int32_t moveCount) {
  if (moveCount < 0 || moveCount > kSquares) return false;
  BoardCells seen{};
  for (int i = 0; i < moveCount; ++i) {
    const int x = history[i][0], y = history[i][1];
    if (!OnBoard(x, y) || seen[x][y]) return false;
    seen[x][y] = 1;
  }
  int yellow = 0, blue = 0;
  for (int x = 0; x < kBoardSize; ++x)
    for (int y = 0; y < kBoardSize; ++y) {
      const int cell = board[x][y];
      if (cell < kEmpty || cell > kBlue) return false;
      if ((cell != kEmpty) != (seen[x][y] != 0)) return false;
      yellow += cell == kYellow;
      blue += cell == kBlue;
    }
  // Either colour may have begun, so the counts differ by at most one.
  return std::abs(yellow - blue) <= 1;
}
