#pragma once

#include <QString>
#include <QStringList>

namespace bkp::tools {

// The console's script files, without its window: the operator's scripts in the
// program's "Scripts" folder and the history written to "Scripts/Auto" when the
// console closes. A file that cannot be read or written is told, never skipped.
class ConsoleScripts {
public:
    // "Carregar Script": the text of the file chosen (UTF-8 when it is valid UTF-8,
    // else Windows-1252); a null string when none was chosen or it could not be read.
    static QString load();
    // "Salvar Script": the text written to the file chosen, the earlier one kept as
    // its ".bkp" copy.
    static void save(const QString &text);
    // The statements of this opening, saved under a name of the time they end.
    static void autoSave(const QStringList &history);
};

} // namespace bkp::tools
