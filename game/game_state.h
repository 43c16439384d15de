// The game itself without drawing: board, players, history, result, and the
// rules that change them. Plain globals, read and written by every subsystem.
#pragma once

#include <array>
#include <cstdint>

constexpr int kBoardSize = 15;
constexpr int kSquares = kBoardSize * kBoardSize;  // 225

using BoardCells = std::array<std::array<int32_t, kBoardSize>, kBoardSize>;  // [x][y]
using MoveList = std::array<std::array<int32_t, 2>, kSquares>;               // [i] = {x, y}

// Cell values and colours.
constexpr int32_t kEmpty = 0;
constexpr int32_t kYellow = 1;
constexpr int32_t kBlue = 2;

// Player kinds, indexed by colour in PlayerKind.
enum : int32_t {
  Human = 0,
  Multiplayer = 1,
  Spontane = 2,
  Flexible = 3,
  Konsequente = 4,
  Denker = 5
};

extern BoardCells Board;
extern int32_t PlayerKind[3];  // -1, 0, kind of blue
extern MoveList History;       // (-1, -1) marks an empty entry
extern int32_t MoveCount;
extern int32_t GameResult;  // 0 running, 1 yellow five, 2 blue five, 3 no one can win
extern int32_t WinRowX[5];
extern int32_t WinRowY[5];
extern uint8_t BlueBegins;
extern uint8_t SkipBlueTurn;
extern int32_t Rotation;

inline bool OnBoard(int x, int y) { return x >= 0 && x < kBoardSize && y >= 0 && y < kBoardSize; }
inline int OtherColour(int colour) { return colour == kYellow ? kBlue : kYellow; }

// Sets every game-state global back to its start-up value.
void ResetGameStateGlobals();

// Rules.
void PlaceStone(int x, int y, int colour);  // with the cut of the replay list
int32_t CheckGameResult();                  // fills WinRowX/WinRowY on a five
bool NoOneCanWin();                         // no window is open for either colour
int TakeBack(int colour);                   // 1 when a move was taken back
int Replay(int colour);  // 1 when a move was replayed; GameResult is checked again
void RotateBoard();
// The colour whose move comes next: moves alternate, so the side with fewer
// stones, or on equal counts the colour of the first stone; on an empty board
// only the caller knows.
int NextMoverColour(int onEmptyBoard);
// Whether blue is to move in an unfinished game; on an empty board the
// colour that begins (BlueBegins) decides.
bool BlueToMove();
void ResetForNewGame();

// True when board, history and move count agree: MoveCount in 0..225, the
// first MoveCount entries are distinct squares on the board, the stones on
// the board are exactly those squares (cells 0..2), and the two colours have
// as many stones or one more of the colour that began. Used to accept a game
// read from a file.
bool GameIsConsistent(const BoardCells& board, const MoveList& history, int32_t moveCount);
