#include "screens/info_screen.h"

#include "toolkit/TAction.h"
#include "toolkit/TMacDockImitat.h"
#include "view/presentation.h"

namespace {

constexpr int kLines = 15;
constexpr int kLeaveTopic = 6;

const std::vector<std::string> kRules = {
    "Ähnlich wie beim bekannten Spiel mit vier Steinen gilt es bei Kavro, fünf",
    "Steine der eigenen Farbe in einer Reihe, einer Spalte oder einer Diagonalen",
    "anzuordnen. Wem dies als Erster gelingt, hat gewonnen.",
    "Im Unterschied zu jenem Spiel ist Kavro jedoch wesentlich komplexer:",
    "Nicht nur, dass eben fünf, statt vier Steine angeordnet werden müssen:",
    "Auch das Spielfeld ist viel größer und die Steine fallen nicht irgendwo",
    "herunter, sondern können überall frei platziert werden. Statt nur sieben",
    "Möglichkeiten pro Spielzug ergeben sich nun bei je 15 Spalten und Reihen",
    "bis zu 225 mögliche Positionen.",
    "Zu Beginn jedes neuen Spiels kann einer von vier möglichen Computer-",
    "Gegnern ausgewählt werden. Oder man spielt man im 'Multiplayer'-Modus",
    "gegen einen anderen Gegner. Abwechselnd wird Stein für Stein gesetzt.",
    "Gegenüber den Computergegnern hat man den Vorteil, beliebig viele Spiel-",
    "züge zurücknehmen zu können, da der Spielverlauf bis zum jeweils neuen",
    "Spielzug gespeichert wird.",
};

const std::vector<std::string> kOpponents = {
    "Die vier möglichen Computer-Gegner, die du zu Beginn eines neuen Spiels",
    "wählen kannst, unterscheiden sich in ihrer Spielstärke und ihrem Charakter.",
    "Tendenziell ist der 'Spontane' einfacher zu besiegen als der 'Flexible',",
    "der 'Konsequente' schwerer zu besiegen als der 'Flexible', usw...",
    "Der 'Denker' vertritt die theoretisch stärkste Spielstufe.",
    "Diese progressive Spielstärke ist jedoch nicht absolut, sondern relativ:",
    "Es könnte zwar selten, aber durchaus der Fall eintreten, dass ein ver-",
    "meintlich stärkerer Gegner überraschend leicht zu besiegen ist und sich",
    "ein angeblich schwächerer Gegner ziemlich widerspenstig zeigt.",
    "Wie der Name sagt, übersieht der 'Spontane' manchmal eine Siegchance",
    "oder eine drohende Niederlage und ist überhaupt recht unbekümmert.",
    "Der 'Flexible' macht diese Fehler nicht mehr, zeigt sich aber auch als Spieler",
    "mit einem abwechslungsreichen Spielaufbau. Der 'Konsequente' dagegen",
    "versucht stets, sein Ziel sehr geradlinig zu verfolgen. Der 'Denker' braucht",
    "mitunter ziemlich viel Zeit, um weiter in die Zukunft planen zu können.",
};

const std::vector<std::string> kOptions = {
    "Jedes Spiel kann gespeichert und wieder geladen werden. Gespeichert",
    "(und geladen) werden dabei stets der Gegner, das Spielfeld und der",
    "Spielverlauf, so dass man auch beim neuen Laden Spielzüge noch",
    "zurücknehmen kann. Beim Programmende wird automatisch gespeichert.",
    "Ein Wechseln des Gegnercharakters ist während des Spiels aus",
    "diversen Gründen nicht möglich. Das 'Mogeln' soll unterbunden werden.",
    "Für die Musik ist der Name 'Kavro' Programm: ",
    "Die Begleitmusik ist jazzig und steht im asymmetrischen 5/4-Takt.",
    "Sie kann jederzeit ein- und ausgeschaltet werden.",
    "Ansonsten sind zwei unterschiedliche Fenstergrößen wählbar,",
    "außerdem die Option, das Spielfeld in zweidimensionaler Ansicht",
    "von Oben zu betrachen oder in dreidimensionaler Perspektive von",
    "Vorne. Im zweiten Fall ist es günstig, das Spielbrett mittels der",
    "Funktion 'Drehen' auch von allen anderen Seiten aus betrachen",
    "zu können.",
};

const std::vector<std::string> kExternalEngine = {
    "Es ist möglich, sich eine eigene künstliche Intelligenz für 'Kavro', also",
    "eine 'externe KI' zu programmieren. Anstatt selbst einen Spielzug gegen",
    "einen der Gegner zu setzen, kann man diesen dann durch das externe",
    "Programm ausrechnen lassen. Oder man spielt im Multiplayer-Modus",
    "gegen diese externe KI oder lässt sie gegen sich selbst spielen.",
    "Das Hauptprogramm 'Kavro' kommuniziert mit der externen KI über",
    "ein UDP-Netzwerk. Beachte bitte, dass erst BEIDE Programme gestartet",
    "werden müssen, bevor man im Hauptprogramm den entsprechenden",
    "Menupunkt 'Netzwerk' verwenden kann!",
    "Im Verzeichnis des heruntergeladenen 'Kavro'-Programms sind diesbe-",
    "züglich die zwei Beispiel-Dateien 'move.h' und 'move.cpp' in 'examples/engine'",
    "beigegeben. In ihnen muss nur noch eine Funktion programmiert werden,",
    "welche den besten nächsten Spielzug auszurechnen hat. Nähere Details",
    "sind den Kommentaren der Quellcode-Dateien zu entnehmen.",
};

const std::vector<std::string> kCredits = {
    "'Kavro' wurde vom Kavro-Team erdacht, entworfen und programmiert.",
    "Spielregeln, Computergegner und Oberfläche: das Kavro-Team.",
    "Die Spielsteine, Bretter und Schriften sind eigens für Kavro entstanden.",
    "Die Begleitmusik hat das Kavro-Team selbst komponiert und eingespielt.",
    "Die Graphiken und die Musik entstammen eigenen Produktionen.",
    "'Kavro' ist Freeware und darf kostenlos weitergegeben werden.",
    "Für Schäden durch die Benutzung wird keinerlei Haftung übernommen.",
    "",
    "",
    "Das Programm ist vielfach auf allen Plattformen (Windows, Mac OSX",
    "und Linux) gestestet worden und hat nie Probleme bereitet.",
    "",
    "",
    "",
    "Viel Spaß beim Spielen wünscht das Kavro-Team!",
};

// Opaque columns of a text: its advances plus the 2 the last glyph takes back.
float InkWidth(const std::string& text) { return float(MeasureTextWidth(text) + 2); }

// Centred from the font's own widths. The underline stands just below the
// title's baseline, stretched to the title's width.
void DrawTitlePage(const int lineY[kLines]) {
  const float centre = float(WindowWidth / 2);
  const std::string title = "Informationen", line = "______________";
  SetDrawScale(Scale, Scale);
  DrawTextAt(title, centre - 0.5f * Scale * InkWidth(title), float(lineY[2]));
  const float stretch = InkWidth(title) / InkWidth(line);
  SetDrawScale(stretch * Scale, Scale);
  DrawTextAt(line, centre - 0.5f * Scale * InkWidth(title), float(lineY[2]) + 4 * Scale);
  const std::string prompt = "Wähle ein Thema aus:";
  SetDrawScale(0.5f * Scale, 0.5f * Scale);
  DrawTextAt(prompt, centre - 0.25f * Scale * InkWidth(prompt), float(lineY[13]));
}

}  // namespace

const std::vector<std::string>& InfoTopicLines(int topic) {
  static const std::vector<std::string> kNone;
  switch (topic) {
    case 1:
      return kRules;
    case 2:
      return kOpponents;
    case 3:
      return kOptions;
    case 4:
      return kExternalEngine;
    case 5:
      return kCredits;
  }
  return kNone;
}

std::shared_ptr<TMacDockImitat_Horizontal> BuildInfoDock() {
  return TMacDockImitat_Horizontal::build(720, 6, "incbin::media/InfoDock.png", 160, 150,
                                          "incbin::media/InfoDockTitles.png");
}

// Centred in the window whatever its width.
int InfoDockX() { return int(float(WindowWidth / 2) / Scale); }

int32_t InfoScreen() {
  int lineY[kLines];
  for (int k = 0; k < kLines; ++k) lineY[k] = int(0.75f * Scale * float(100 + 48 * k));
  const int left = int(static_cast<float>(WindowWidth / 2) - 450 * Scale);
  int topic = 0;
  auto dock = BuildInfoDock();

  SetDrawScale(Scale, Scale);
  SetAlpha(1.0f);
  SetColor(255, 255, 255);
  for (;;) {
    Action->update();
    // The backdrop is made for the wide window; the flat one shows its middle.
    DrawPicture(Background, -200.0f * Scale * float(View2D), 0, 0);
    SetDrawScale(0.5f * Scale, 0.5f * Scale);
    if (topic == 0) {
      DrawTitlePage(lineY);
    } else {
      const auto& lines = InfoTopicLines(topic);
      for (size_t k = 0; k < lines.size(); ++k) DrawTextAt(lines[k], float(left), float(lineY[k]));
    }
    const int selected = dock->show(InfoDockX(), kInfoDockY);
    SetAlpha(1.0f);
    SetDrawScale(Scale, Scale);
    if (selected > -1) topic = selected + 1;
    PresentFrame();
    if (Action->Close == 1 || Action->Escape == 1 || topic == kLeaveTopic) break;
  }

  Action->flush();
  SetDrawScale(Scale, Scale);
  SetAlpha(1.0f);
  return 0;
}
