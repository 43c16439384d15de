#include "tools/arena/players.h"

#include <chrono>
#include <optional>
#include <span>

#include "ai/opponents.h"
#include "engine_link/engine_link.h"
#include "game/game_state.h"
#ifdef KAVRO_HAVE_ENGINE_AI
#include "move.h"
#endif

namespace {

using Clock = std::chrono::steady_clock;

int MsSince(Clock::time_point start) {
  return int(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
}

// The characters play blue on the game's globals; whoever they play for is
// shown to them as blue. The globals are theirs only while they choose, and
// two games never share a process (the runner forks one per game).
class Character : public Contestant {
 public:
  explicit Character(int kind) : kind_(kind) {}
  PlayerMove Move(const uint8_t cells[225], int moveCount) override {
    Board = DatagramBoard(std::span<const uint8_t, kSquares>(cells, kSquares), kBlue);
    MoveCount = moveCount;
    auto start = Clock::now();
    std::optional<::Move> move = ChooseMoveOfKind(kind_);
    PlayerMove answer;
    answer.ms = MsSince(start);
    if (!move) {
      answer.fault = BrainFault::kIllegal;
      answer.why = "gave no move";
      return answer;
    }
    answer.x = move->first;
    answer.y = move->second;
    answer.ok = true;
    return answer;
  }

 private:
  int kind_;
};

#ifdef KAVRO_HAVE_ENGINE_AI
class SampleEngine : public Contestant {
 public:
  explicit SampleEngine(int budgetMs) : budgetMs_(budgetMs) {}
  PlayerMove Move(const uint8_t cells[225], int) override {
    PlayerMove answer;
    auto start = Clock::now();
    answer.ok = ChooseEngineMove(cells, budgetMs_, answer.x, answer.y);
    answer.ms = MsSince(start);
    if (!answer.ok) {
      answer.fault = BrainFault::kIllegal;
      answer.why = "gave no move";
    }
    return answer;
  }

 private:
  int budgetMs_;
};
#endif

class External : public Contestant {
 public:
  External(const PlayerEntry& entry, int engineStderr) : brain_(Options(entry, engineStderr)) {}
  PlayerMove Move(const uint8_t cells[225], int) override {
    PlayerMove answer;
    answer.ok = brain_.Choose(cells, answer.x, answer.y);
    answer.ms = brain_.LastMs();
    answer.fault = brain_.Fault();
    answer.why = brain_.Why();
    return answer;
  }

 private:
  static BrainOptions Options(const PlayerEntry& entry, int engineStderr) {
    BrainOptions options;
    options.command = entry.command;
    options.budgetMs = entry.budgetMs;
    options.maxNodes = entry.maxNodes;
    options.stderrFd = engineStderr;
    return options;
  }
  Brain brain_;
};

}  // namespace

bool HaveSampleEngine() {
#ifdef KAVRO_HAVE_ENGINE_AI
  return true;
#else
  return false;
#endif
}

std::vector<PlayerEntry> BuiltInPlayers() {
  std::vector<PlayerEntry> players;
  const char* const names[] = {"Spontane", "Flexible", "Konsequente", "Denker"};
  for (int kind = Spontane; kind <= Denker; ++kind) {
    PlayerEntry entry;
    entry.name = names[kind - Spontane];
    entry.character = kind;
    players.push_back(entry);
  }
  if (HaveSampleEngine()) {
    PlayerEntry engine;
    engine.name = "Engine";
    engine.kind = PlayerEntry::Kind::kSampleEngine;
    players.push_back(engine);
  }
  return players;
}

std::vector<std::string> SplitCommand(const std::string& text) {
  std::vector<std::string> words;
  std::string word;
  bool inWord = false;
  char quote = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (quote) {
      if (c == quote)
        quote = 0;
      else if (c == '\\' && quote == '"' && i + 1 < text.size())
        word += text[++i];
      else
        word += c;
    } else if (c == '\'' || c == '"') {
      quote = c;
      inWord = true;
    } else if (c == '\\' && i + 1 < text.size()) {
      word += text[++i];
      inWord = true;
    } else if (c == ' ' || c == '\t') {
      if (inWord) words.push_back(word);
      word.clear();
      inWord = false;
    } else {
      word += c;
      inWord = true;
    }
  }
  if (inWord) words.push_back(word);
  return words;
}

std::unique_ptr<Contestant> MakeContestant(const PlayerEntry& entry, int engineStderr) {
  switch (entry.kind) {
    case PlayerEntry::Kind::kCharacter:
      return std::make_unique<Character>(entry.character);
    case PlayerEntry::Kind::kSampleEngine:
#ifdef KAVRO_HAVE_ENGINE_AI
      return std::make_unique<SampleEngine>(entry.budgetMs);
#else
      break;
#endif
    case PlayerEntry::Kind::kExternal:
      return std::make_unique<External>(entry, engineStderr);
  }
  return nullptr;
}
