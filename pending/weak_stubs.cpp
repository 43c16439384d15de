// TEMPORARY: weak placeholders so the tree links while the subsystems are
// written in parallel. Every real definition overrides its placeholder.
// This file is deleted before the work is handed in.
#include <optional>

#include "ai/evaluation.h"
#include "ai/opponents.h"
#include "core/game.h"
#include "core/game_state.h"
#include "core/presentation.h"
#include "engine_link/engine_link.h"
#include "persist/game_record.h"
#include "screens/info_screen.h"
#include "screens/menu_docks.h"
#include "screens/new_game.h"
#include "toolkit/TAction.h"
#include "toolkit/TMacDockImitat.h"
#include "toolkit/TSpeedControl.h"
#include "toolkit/TTextSnake.h"
#include "view/board_view.h"
#include "view/game_over.h"

#define W __attribute__((weak))

W void ResetGameStateGlobals() {}
W void PlaceStone(int, int, int) {}
W int32_t CheckGameResult() { return 0; }
W bool NoOneCanWin() { return false; }
W int TakeBack(int) { return 0; }
W int Replay(int) { return 0; }
W void RotateBoard() {}
W void ResetForNewGame() {}
W bool GameIsConsistent(const BoardCells&, const MoveList&, int32_t) { return true; }
W void ResetPresentationGlobals() {}
W float ScaleForDesktop(int, int) { return 1.0f; }
W int StartGame() { return 0; }
W void LoadSettings() {}
W void SaveSettings() {}
W std::vector<uint8_t> SettingsBytes() { return {}; }
W void ApplySettingsBytes(const std::vector<uint8_t>&) {}
W int32_t HumanTurn(int) { return 1; }
W int32_t ComputerTurn() { return 1; }
W int32_t ShowExternalMove(const int32_t[2], int) { return 1; }
W void AskQuitOnEscape() {}
W void KeepMusicAlive() {}

W int32_t CellX[15][15];
W int32_t RowY[15];
W float CellHalfWidth[15];
W float CellHalfHeight[15];
W float StoneScaleX;
W float StoneScaleY;
W void ComputeBoardGeometry() {}
W void DrawBoardPicture() {}
W void DrawStones() {}
W bool PickSquare(int, int, int&, int&) { return false; }
W void GameOverScreen() {}

W int32_t Potential[15][15][3];
W int32_t TopLast = 4;
W int32_t TopValue[kMaxTopPlaces][3];
W int32_t TopCol[kMaxTopPlaces][3];
W int32_t TopRow[kMaxTopPlaces][3];
W void ComputePotential() {}
W void RankCandidates() {}
W std::optional<Move> ChooseComputerMove() { return std::nullopt; }

W std::shared_ptr<TMacDockImitat_Vertikal_Left> LeftDock;
W std::shared_ptr<TMacDockImitat_Vertikal_Right> RightDock;
W FontRef GameFont;
W int RunMenuDocks(int, int) { return 0; }
W void OpenGameWindow() {}
W uint8_t NewGameScreen() { return 0; }
W int32_t InfoScreen() { return 0; }

W void WriteGameRecord(const StreamRef&) {}
W std::vector<uint8_t> GameRecordBytes() { return {}; }
W bool ApplyGameRecord(const std::vector<uint8_t>&, size_t, bool) { return false; }
W void LoadGameCommand() {}
W void SaveGameCommand() {}

W std::string SendGameState(int) { return "ok"; }
W std::string AwaitExternalMove(int) { return "ok"; }

W std::shared_ptr<TAction> TAction::build() { return std::make_shared<TAction>(); }
W int32_t TAction::update() { return 0; }
W int32_t TAction::wait() { return 0; }
W int32_t TAction::flush(int32_t, int32_t) { return 0; }

W std::shared_ptr<TSpeedControl> TSpeedControl::build() { return std::make_shared<TSpeedControl>(); }
W int TSpeedControl::Start() { return 0; }
W int TSpeedControl::UpdateTime() { return 0; }
W int TSpeedControl::UpdateStates(int32_t, int32_t) { return 0; }
W float TSpeedControl::GetValue(uint8_t, uint8_t) const { return 0.0f; }
W std::vector<int32_t> TSpeedControl::CreateWaitingSequence(int32_t, int32_t, int32_t, uint8_t, int32_t, const std::vector<int32_t>&) { return {}; }
W int TSpeedControl::SetUserControl(const std::vector<int32_t>&, const std::vector<int32_t>&) { return 0; }
W int32_t TSpeedControl::GetUserControl() const { return 0; }
W std::vector<int32_t> RandomOrder(int32_t, float) { return {0}; }

W std::shared_ptr<TTextSnake> TTextSnake::build(const std::string&, int32_t, int32_t, int32_t) { return std::make_shared<TTextSnake>(); }
W int TTextSnake::draw(float, float) { return 0; }

W std::shared_ptr<TMacDockImitat_Horizontal> TMacDockImitat_Horizontal::build(int32_t, int32_t, const std::string&, int32_t, int32_t, const std::string&) { return std::make_shared<TMacDockImitat_Horizontal>(); }
W int32_t TMacDockImitat_Horizontal::show(int32_t, int32_t) { return -1; }
W int TMacDockImitat_Horizontal::StopAnimation() { return 0; }
W int TMacDockImitat_Horizontal::NewGlobalScale(int32_t, int32_t, int32_t) { return 0; }
W std::shared_ptr<TMacDockImitat_Vertikal_Left> TMacDockImitat_Vertikal_Left::build(int32_t, int32_t, const std::string&, int32_t, int32_t) { return std::make_shared<TMacDockImitat_Vertikal_Left>(); }
W int32_t TMacDockImitat_Vertikal_Left::show(int32_t, int32_t) { return -1; }
W int TMacDockImitat_Vertikal_Left::StopAnimation() { return 0; }
W int TMacDockImitat_Vertikal_Left::NewGlobalScale(int32_t, int32_t, int32_t) { return 0; }
W std::shared_ptr<TMacDockImitat_Vertikal_Right> TMacDockImitat_Vertikal_Right::build(int32_t, int32_t, const std::string&, int32_t, int32_t) { return std::make_shared<TMacDockImitat_Vertikal_Right>(); }
W int32_t TMacDockImitat_Vertikal_Right::show(int32_t, int32_t) { return -1; }
W int TMacDockImitat_Vertikal_Right::StopAnimation() { return 0; }
W int TMacDockImitat_Vertikal_Right::NewGlobalScale(int32_t, int32_t, int32_t) { return 0; }
