#pragma once
// Checks of the numbers typed into the settings boxes. A rejected text is reported to the
// user in the current language and its box falls back to a safe value.
#include <QString>
#include <functional>

namespace lt {

struct Bilingual;

struct EstadoMonitor;
struct MainForm;
class Messages;

class Validators {
  public:
    Validators(EstadoMonitor& estado, Messages& messages) : estado_(estado), messages_(messages) {}

    // Each sets ErrorFormato, shows at most one message and returns true when the text
    // is accepted.
    bool FormatoHoras(const QString& text);               // 0..23
    bool FormatoMinutosOSegundos(const QString& text);    // 0..59
    bool FormatoNumerico(const QString& text);            // a cost, 0..9999999999
    bool FormatoPorcentaje(const QString& text);          // 0..100
    bool FormatoNumericEntero(const QString& text);       // 0..999
    bool Formato15minutosOSegundos(const QString& text);  // 1..15
    bool FormatoHHMMSS(const QString& text);              // a time of day "hh:mm:ss"

  private:
    struct Rango;
    bool numero(const QString& text, const Rango& rango);
    bool veredicto(bool ok, const Bilingual& mensaje);

    EstadoMonitor& estado_;
    Messages& messages_;
};

// Validates every numeric settings box on each change of its text; a rejected text is
// replaced at once by the box's fallback. A Change handler already set on a box still runs,
// after the check and only for accepted texts; so does onAccepted.
void instalarValidacion(MainForm& form, Validators& validators,
                        std::function<void()> onAccepted = {});

}  // namespace lt
