#pragma once

#include <QDialog>
#include <functional>
#include <memory>

class QFrame;
class QGroupBox;
class QLineEdit;
class QListWidget;
class QToolButton;

namespace bkp::platform {
class IniFile;
}

namespace bkp::widgets {
class BitBtn;
}

namespace bkp::tools {

using widgets::BitBtn;

// A file path field with a browse button that opens a file chooser.
class FilenameEdit : public QWidget {
    Q_OBJECT
public:
    explicit FilenameEdit(const QString &filter, QWidget *parent = nullptr);
    QString fileName() const;
    void setFileName(const QString &name);

    QLineEdit *edit = nullptr;
    QToolButton *button = nullptr;
    QString filter;        // "Description|pattern|..." pairs
    QString initialFolder; // where the chooser starts
    std::function<void()> beforeDialog;

    void browse();
};

// The installer publisher: stamps the program's name and version into an Inno
// Setup script and opens it, and starts an external upload program with a remote
// folder and the files to send. Its fields live in "TfSDK.ini" beside the program.
// Each control is named after its member, for the tests that find it.
class TfSDK : public QDialog {
    Q_OBJECT
public:
    // `settingsFile` empty: "TfSDK.ini" in the program's folder.
    explicit TfSDK(const QString &settingsFile = QString(), QWidget *parent = nullptr);
    ~TfSDK() override;

    void LoadParams();
    void SaveParams();
    void FilenameEdit_InstallBeforeDialog();
    void ToolButton1Click();  // "Incluir"
    void ToolButton2Click();  // "Excluir"
    void SpeedButton2Click(); // stamps the script and opens it
    void SpeedButton1Click(); // starts the upload program

    void done(int result) override; // every way of closing keeps the fields

protected:
    void showEvent(QShowEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    QStringList files() const;

    FilenameEdit *FilenameEdit_Install = nullptr;
    QToolButton *SpeedButton2 = nullptr;
    FilenameEdit *FilenameEdit_FTP = nullptr;
    QToolButton *SpeedButton1 = nullptr;
    QLineEdit *Edit_FTPFolder = nullptr;
    QGroupBox *GroupBox1 = nullptr;
    QToolButton *ToolButton1 = nullptr;
    QToolButton *ToolButton2 = nullptr;
    QListWidget *ListBox_FTPFiles = nullptr;
    QFrame *Panel1 = nullptr;
    BitBtn *BitBtn1 = nullptr; // OK
    BitBtn *BitBtn2 = nullptr; // Cancel

    std::unique_ptr<platform::IniFile> m_ini;
};

} // namespace bkp::tools
