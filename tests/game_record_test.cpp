#include "persist/game_record.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "game/game_state.h"
#include "persist/game_record_codec.h"
#include "screens_test_support.h"
#include "view/presentation.h"

using namespace screens_test;
namespace fs = std::filesystem;

namespace {

// A game of n moves, blue first, colours alternating. The stones follow a
// pattern without five in any direction (pairs of columns, shifted by one
// each row), so even the full board holds no five.
GameRecord SampleRecord(int moves) {
  std::vector<std::array<int32_t, 2>> squares[3];
  for (int y = 0; y < kBoardSize; ++y)
    for (int x = 0; x < kBoardSize; ++x)
      squares[((x / 2) + y) % 2 == 0 ? kBlue : kYellow].push_back({x, y});
  GameRecord record;
  record.rotation = 2;
  record.blueKind = Konsequente;
  record.blueBegins = 1;
  for (auto& entry : record.history) entry = {-1, -1};
  size_t next[3] = {0, 0, 0};
  for (int i = 0; i < moves; ++i) {
    const int colour = i % 2 == 0 ? kBlue : kYellow;
    const auto square = squares[colour][next[colour]++];
    record.history[i] = square;
    record.board[square[0]][square[1]] = colour;
  }
  record.moveCount = moves;
  return record;
}

std::vector<uint8_t> ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteFile(const fs::path& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

class GameRecordTest : public ::testing::Test {
 protected:
  void SetUp() override {
    backend = OpenTestWindow();
    folder = fs::temp_directory_path() /
             ("kavro-record-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
              "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(folder);
    fs::create_directories(folder);
  }
  void TearDown() override { fs::remove_all(folder); }

  // A running game of a few moves with a replay entry beyond MoveCount.
  void SetUpRunningGame() {
    Board[7][7] = kYellow;
    Board[8][8] = kBlue;
    History[0] = {7, 7};
    History[1] = {8, 8};
    History[2] = {9, 9};  // taken back, could be replayed
    MoveCount = 2;
    PlayerKind[kBlue] = Flexible;
    Rotation = 1;
  }

  std::shared_ptr<HeadlessBackend> backend;
  fs::path folder;
};

TEST_F(GameRecordTest, EmptyGameIs229BytesWithHeaderFirst) {
  Rotation = 3;
  PlayerKind[kBlue] = Denker;
  BlueBegins = 1;
  std::vector<uint8_t> bytes = GameRecordBytes();
  ASSERT_EQ(bytes.size(), 229u);
  EXPECT_EQ(bytes[0], 3);
  EXPECT_EQ(bytes[1], 5);
  EXPECT_EQ(bytes[2], 1);
  EXPECT_EQ(bytes[3], 0);
}

TEST_F(GameRecordTest, MovesThenBoardColumnByColumn) {
  GameRecord record = SampleRecord(3);
  std::vector<uint8_t> bytes = EncodeGameRecord(record);
  ASSERT_EQ(bytes.size(), 235u);
  EXPECT_EQ(bytes[3], 3);
  EXPECT_EQ((std::vector<uint8_t>(bytes.begin() + 4, bytes.begin() + 10)),
            (std::vector<uint8_t>{0, 0, 2, 0, 1, 0}));
  // Square (x, y) is byte 10 + 15x + y.
  EXPECT_EQ(bytes[10 + 0], kBlue);
  EXPECT_EQ(bytes[10 + 30], kYellow);
  EXPECT_EQ(bytes[10 + 15], kBlue);
  EXPECT_EQ(bytes[10 + 1], kEmpty);
}

TEST_F(GameRecordTest, CodecRoundTripsEveryLength) {
  for (int moves : {0, 1, 2, 57, 224, 225}) {
    GameRecord record = SampleRecord(moves);
    std::vector<uint8_t> bytes = EncodeGameRecord(record);
    EXPECT_EQ(bytes.size(), GameRecordSize(moves));
    GameRecord back;
    ASSERT_TRUE(DecodeGameRecord(bytes, 0, true, back)) << moves;
    EXPECT_EQ(back.rotation, record.rotation);
    EXPECT_EQ(back.blueKind, record.blueKind);
    EXPECT_EQ(back.blueBegins, record.blueBegins);
    EXPECT_EQ(back.moveCount, moves);
    EXPECT_EQ(back.history, record.history);
    EXPECT_EQ(back.board, record.board);
  }
}

TEST_F(GameRecordTest, DecodeAtAnOffsetAsTheSettingsTail) {
  std::vector<uint8_t> bytes = {'x', 13, 10, 0, 1, 1};
  std::vector<uint8_t> record = EncodeGameRecord(SampleRecord(4));
  bytes.insert(bytes.end(), record.begin(), record.end());
  GameRecord back;
  EXPECT_TRUE(DecodeGameRecord(bytes, 6, true, back));
  EXPECT_EQ(back.moveCount, 4);
  bytes.push_back(0);
  EXPECT_FALSE(DecodeGameRecord(bytes, 6, true, back));
  EXPECT_TRUE(DecodeGameRecord(bytes, 6, false, back));
  EXPECT_FALSE(DecodeGameRecord(bytes, bytes.size() + 1, false, back));
}

TEST_F(GameRecordTest, SaveAndLoadRestoreTheGame) {
  SetUpRunningGame();
  const fs::path file = folder / "partie.KVs";
  ASSERT_TRUE(SaveGameFile(file.string()));
  EXPECT_EQ(fs::file_size(file), 233u);

  const BoardCells board = Board;
  Board = {};
  MoveCount = 0;
  PlayerKind[kBlue] = Spontane;
  Rotation = 0;
  History[0] = {1, 1};
  ASSERT_TRUE(LoadGameFile(file.string()));
  EXPECT_EQ(Board, board);
  EXPECT_EQ(MoveCount, 2);
  EXPECT_EQ(History[0][0], 7);
  EXPECT_EQ(History[1][1], 8);
  EXPECT_EQ(History[2][0], -1) << "nothing is left to replay after a load";
  EXPECT_EQ(PlayerKind[kBlue], Flexible);
  EXPECT_EQ(Rotation, 1);
  EXPECT_EQ(GameResult, 0);
  EXPECT_TRUE(backend->notices.empty());
}

TEST_F(GameRecordTest, GameFolderFollowsTheFile) {
  SetUpRunningGame();
  fs::create_directories(folder / "sub");
  const fs::path previous = fs::current_path();
  fs::current_path(folder);
  EXPECT_TRUE(SaveGameFile("sub/a.KVs"));
  EXPECT_EQ(GameFolder, (folder / "sub").string());
  fs::current_path(previous);

  GameFolder = "/";
  EXPECT_TRUE(LoadGameFile((folder / "sub" / "a.KVs").string()));
  EXPECT_EQ(GameFolder, (folder / "sub").string());
}

TEST_F(GameRecordTest, SaveCommandAppendsTheExtensionExactly) {
  SetUpRunningGame();
  GameFolder = folder.string();
  backend->fileAnswers = {(folder / "ohne").string(), (folder / "klein.kvs").string(),
                          (folder / "richtig.KVs").string()};
  SaveGameCommand();
  SaveGameCommand();
  SaveGameCommand();
  EXPECT_TRUE(fs::exists(folder / "ohne.KVs"));
  EXPECT_TRUE(fs::exists(folder / "klein.kvs.KVs"));
  EXPECT_FALSE(fs::exists(folder / "klein.kvs"));
  EXPECT_TRUE(fs::exists(folder / "richtig.KVs"));
  EXPECT_FALSE(fs::exists(folder / "richtig.KVs.KVs"));
  EXPECT_EQ(fs::file_size(folder / "ohne.KVs"), 233u);
  ASSERT_FALSE(backend->fileRequests.empty());
  EXPECT_EQ(backend->fileRequests[0],
            "Spiel speichern:|Kavro-Spiele:KVs;|1|" + folder.string() + "/Kavro-Spiel.KVs");
}

TEST_F(GameRecordTest, CancelledOrFolderAnswersDoNothing) {
  SetUpRunningGame();
  GameFolder = "/somewhere";
  backend->fileAnswers = {"", folder.string(), "", folder.string()};
  SaveGameCommand();
  SaveGameCommand();
  LoadGameCommand();
  LoadGameCommand();
  EXPECT_TRUE(fs::is_empty(folder));
  EXPECT_FALSE(fs::exists(folder.string() + ".KVs"));
  EXPECT_TRUE(backend->notices.empty());
  EXPECT_EQ(GameFolder, "/somewhere");
  EXPECT_EQ(MoveCount, 2);
}

TEST_F(GameRecordTest, LoadCommandUsesItsRequester) {
  SetUpRunningGame();
  const fs::path file = folder / "spiel.KVs";
  WriteFile(file, EncodeGameRecord(SampleRecord(6)));
  GameFolder = "/start";
  backend->fileAnswers = {file.string()};
  LoadGameCommand();
  ASSERT_EQ(backend->fileRequests.size(), 1u);
  EXPECT_EQ(backend->fileRequests[0], "Spiel laden:|Kavro-Spiele:KVs; |0|/start");
  EXPECT_EQ(MoveCount, 6);
  EXPECT_EQ(PlayerKind[kBlue], Konsequente);
}

TEST_F(GameRecordTest, UnreadableFileShowsTheLoadMessage) {
  SetUpRunningGame();
  const std::string path = (folder / "fehlt.KVs").string();
  EXPECT_FALSE(LoadGameFile(path));
  ASSERT_EQ(backend->notices.size(), 1u);
  EXPECT_EQ(backend->notices[0], "Aus unerfindlichen Gruenden\nkonnte das Spiel aus der Datei\n'" +
                                     path + "'\nnicht geladen werden!");
  // A pipe must not freeze the game.
  const std::string pipe = (folder / "pipe.KVs").string();
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
  EXPECT_FALSE(LoadGameFile(pipe));
  ASSERT_EQ(backend->notices.size(), 2u);
  EXPECT_EQ(backend->notices[1], LoadFailureText(pipe));
  EXPECT_EQ(MoveCount, 2);
}

TEST_F(GameRecordTest, UnwritablePathShowsTheSaveMessage) {
  const std::string path = (folder / "gibt-es-nicht" / "x.KVs").string();
  GameFolder = "/vorher";
  EXPECT_FALSE(SaveGameFile(path));
  ASSERT_EQ(backend->notices.size(), 1u);
  EXPECT_EQ(backend->notices[0], "Aus unerfindlichen Gruenden\nkonnte das Spiel nicht unter\n'" +
                                     path + "'\ngespeichert werden!");
  EXPECT_EQ(GameFolder, "/vorher");
}

// Every malformed file is refused with the load message, and the game on
// the board stays exactly as it was.
class MalformedFileTest : public GameRecordTest {
 protected:
  void ExpectRejected(const std::vector<uint8_t>& bytes, const std::string& what) {
    SCOPED_TRACE(what);
    SetUpRunningGame();
    const BoardCells board = Board;
    const MoveList history = History;
    backend->notices.clear();
    const fs::path file = folder / "kaputt.KVs";
    WriteFile(file, bytes);
    EXPECT_FALSE(LoadGameFile(file.string()));
    ASSERT_EQ(backend->notices.size(), 1u);
    EXPECT_EQ(backend->notices[0], LoadFailureText(file.string()));
    EXPECT_EQ(Board, board);
    EXPECT_EQ(History, history);
    EXPECT_EQ(MoveCount, 2);
    EXPECT_EQ(PlayerKind[kBlue], Flexible);
    EXPECT_EQ(Rotation, 1);
    EXPECT_EQ(BlueBegins, 0);
  }
};

TEST_F(MalformedFileTest, ShortAtEveryLength) {
  const std::vector<uint8_t> good = EncodeGameRecord(SampleRecord(3));
  for (size_t length = 0; length < good.size(); ++length)
    ExpectRejected(std::vector<uint8_t>(good.begin(), good.begin() + std::ptrdiff_t(length)),
                   "length " + std::to_string(length));
}

TEST_F(MalformedFileTest, LongerThanItsRecord) {
  std::vector<uint8_t> bytes = EncodeGameRecord(SampleRecord(3));
  bytes.push_back(0);
  ExpectRejected(bytes, "one byte too many");
  ExpectRejected(std::vector<uint8_t>(100000, 0), "a large file");
}

TEST_F(MalformedFileTest, FieldsOutOfRange) {
  const std::vector<uint8_t> good = EncodeGameRecord(SampleRecord(3));
  auto with = [&](size_t at, uint8_t value) {
    std::vector<uint8_t> bytes = good;
    bytes[at] = value;
    return bytes;
  };
  ExpectRejected(with(0, 4), "rotation 4");
  ExpectRejected(with(1, 0), "kind 0");
  ExpectRejected(with(1, 6), "kind 6");
  ExpectRejected(with(2, 2), "BlueBegins 2");
  ExpectRejected(with(4, 15), "x 15");
  ExpectRejected(with(9, 200), "y 200");
  ExpectRejected(with(10 + 100, 3), "board byte 3");

  std::vector<uint8_t> tooMany = EncodeGameRecord(SampleRecord(225));
  tooMany[3] = 226;
  tooMany.insert(tooMany.begin() + 454, {14, 14});
  ExpectRejected(tooMany, "226 moves");
}

TEST_F(MalformedFileTest, BoardDisagreeingWithTheMoves) {
  GameRecord record = SampleRecord(3);
  record.board[10][10] = kYellow;
  ExpectRejected(EncodeGameRecord(record), "a stone without a move");

  record = SampleRecord(3);
  record.board[1][0] = kEmpty;
  ExpectRejected(EncodeGameRecord(record), "a move without a stone");

  record = SampleRecord(4);
  record.history[3] = record.history[1];
  ExpectRejected(EncodeGameRecord(record), "the same square twice");

  record = SampleRecord(4);
  for (int i = 0; i < 4; ++i) record.board[record.history[i][0]][record.history[i][1]] = kYellow;
  ExpectRejected(EncodeGameRecord(record), "colours that do not alternate");
}

TEST_F(GameRecordTest, SaveStoresOnlyTheMovesOnTheBoard) {
  SetUpRunningGame();
  const fs::path file = folder / "zurueck.KVs";
  ASSERT_TRUE(SaveGameFile(file.string()));
  std::vector<uint8_t> bytes = ReadFile(file);
  ASSERT_EQ(bytes.size(), 233u);
  EXPECT_EQ(bytes[3], 2);
  EXPECT_EQ(bytes[4 + 4 + 15 * 7 + 7], kYellow) << "the board follows the two moves";
}

TEST_F(GameRecordTest, SavingOverAFileReplacesIt) {
  const fs::path file = folder / "alt.KVs";
  WriteFile(file, std::vector<uint8_t>(679, 0));
  SetUpRunningGame();
  ASSERT_TRUE(SaveGameFile(file.string()));
  EXPECT_EQ(fs::file_size(file), 233u);
  for (const auto& entry : fs::directory_iterator(folder))
    EXPECT_EQ(entry.path().filename(), "alt.KVs") << "no temporary file is left behind";
}

// A decided game shows the game-over display at once; it ends when the
// winning move is taken back through the dock.
TEST_F(GameRecordTest, LoadingAWonGameShowsGameOverAtOnce) {
  GameRecord record;
  for (auto& entry : record.history) entry = {-1, -1};
  const int moves[9][2] = {{3, 7}, {0, 0}, {4, 7}, {0, 1}, {5, 7}, {0, 2}, {6, 7}, {0, 3}, {7, 7}};
  for (int i = 0; i < 9; ++i) {
    record.history[i] = {moves[i][0], moves[i][1]};
    record.board[moves[i][0]][moves[i][1]] = i % 2 == 0 ? kYellow : kBlue;
  }
  record.moveCount = 9;
  const fs::path file = folder / "gewonnen.KVs";
  WriteFile(file, EncodeGameRecord(record));

  FrameScript script(backend);
  int64_t shown = 0;
  script.At(18, [&] {
    shown = script.Elapsed();
    EXPECT_EQ(GameResult, 1);
    EXPECT_EQ(WinRowX[0], 7);
  });
  script.Click(19, RightDockEntry(4));
  script.At(200, [&] {
    ADD_FAILURE() << "game-over display did not end";
    GameResult = 0;
  });
  backend->fileAnswers.push_back(file.string());
  script.Click(1, LeftDockEntry(1));
  EXPECT_EQ(RunDockFrames(kYellow, 60), 0);
  EXPECT_GT(shown, 0);
  EXPECT_EQ(GameResult, 0);
  EXPECT_EQ(MoveCount, 8);
}

}  // namespace
