#include "ftp/ftpconfig.h"

#include "jobdb/datamodule.h"
#include "lib/scopeguard.h"
#include "lib/strings.h"
#include "lib/ui.h"
#include "platform/inifile.h"
#include "widgets/buttonrow.h"
#include "widgets/fbsql.h"
#include "widgets/qtdialogs.h"

#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProxyStyle>
#include <QVBoxLayout>

namespace bkp::ftp {

const char *const DefaultFtpHost = "ftp.zelto.com.br";

namespace {

const QString Section = QStringLiteral("FTP");

class StarPasswordStyle : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget,
                  QStyleHintReturn *data) const override {
        if (hint == SH_LineEdit_PasswordCharacter)
            return '*';
        return QProxyStyle::styleHint(hint, option, widget, data);
    }
};

QLineEdit *labeledEdit(const QString &label, QWidget *parent, QVBoxLayout *layout) {
    layout->addWidget(new QLabel(label, parent));
    auto *edit = new QLineEdit(parent);
    edit->setFixedWidth(300);
    QFont font = edit->font();
    font.setPointSize(12);
    edit->setFont(font);
    edit->setStyleSheet(QStringLiteral("QLineEdit { background: #ffffe1; }"));
    layout->addWidget(edit);
    return edit;
}

void info(const QString &text) {
    ShowMessageBox(text, QString(), platform::MB_OK | platform::MB_ICONINFORMATION);
}

QString messageOf(const std::exception &e) {
    if (const auto *f = dynamic_cast<const FtpError *>(&e))
        return f->message();
    return QString::fromLocal8Bit(e.what());
}

} // namespace

TfFTP_Config::TfFTP_Config(platform::IniFile *IniParams, jobdb::TDM *DM, QWidget *parent)
    : QDialog(parent), m_ini(IniParams), m_dm(DM) {
    setObjectName(QStringLiteral("fFTP_Config"));
    setWindowTitle(QStringLiteral("FTP - Config"));
    widgets::UseDialogFrame(this);
    setFixedSize(352, 315);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    Panel1 = new QWidget(this);
    auto *fields = new QVBoxLayout(Panel1);
    fields->setContentsMargins(26, 8, 26, 4);
    fields->setSpacing(2);
    LabeledEditHost = labeledEdit(QStringLiteral("Host"), Panel1, fields);
    LabeledEditLogin = labeledEdit(QStringLiteral("Login"), Panel1, fields);
    LabeledEditPassword = labeledEdit(QStringLiteral("Password"), Panel1, fields);
    // One "*" per character, whatever the style's own mask character (a style
    // sheet would bring its own style back, so the colour goes by the palette).
    LabeledEditPassword->setStyleSheet(QString());
    auto *stars = new StarPasswordStyle;
    stars->setParent(LabeledEditPassword);
    LabeledEditPassword->setStyle(stars);
    QPalette palette = LabeledEditPassword->palette();
    palette.setColor(QPalette::Base, QColor(0xff, 0xff, 0xe1));
    LabeledEditPassword->setPalette(palette);
    LabeledEditPassword->setEchoMode(QLineEdit::Password);
    LabeledEditFolder = labeledEdit(QStringLiteral("Folder"), Panel1, fields);
    connect(LabeledEditFolder, &QLineEdit::textEdited, this, [this](const QString &text) {
        const int at = LabeledEditFolder->cursorPosition();
        LabeledEditFolder->setText(text.toLower());
        LabeledEditFolder->setCursorPosition(at);
    });
    CheckBox_SaveDB =
        new QCheckBox(QStringLiteral("Opção de gravar no database ao testar."), Panel1);
    fields->addSpacing(6);
    fields->addWidget(CheckBox_SaveDB);
    fields->addStretch(1);
    layout->addWidget(Panel1, 1);

    Panel2 = new QWidget(this);
    Panel2->setFixedHeight(41);
    BitBtn_Testar = new widgets::BitBtn(widgets::BitBtn::Kind::Custom, Panel2);
    BitBtn_Testar->setText(QStringLiteral("Testar"));
    BitBtn_Testar->setToolTip(
        QStringLiteral("Clique aqui para testar a conexão com o host informado."));
    BitBtn_Cancel = new widgets::BitBtn(widgets::BitBtn::Kind::Cancel, Panel2);
    BitBtn_OK = new widgets::BitBtn(widgets::BitBtn::Kind::OK, Panel2);
    for (widgets::BitBtn *b : {BitBtn_Testar, BitBtn_Cancel, BitBtn_OK}) {
        b->setDefault(false);
        b->setAutoDefault(false);
    }
    // "Testar" first, then the fields from the top, then the other buttons.
    const QList<QWidget *> order{BitBtn_Testar,       LabeledEditHost,   LabeledEditLogin,
                                 LabeledEditPassword, LabeledEditFolder, CheckBox_SaveDB,
                                 BitBtn_Cancel,       BitBtn_OK};
    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);
    layout->addWidget(Panel2);

    connect(BitBtn_Testar, &QPushButton::clicked, this, &TfFTP_Config::TestaConexao);
    connect(BitBtn_Cancel, &QPushButton::clicked, this, [this] {
        LoadParams();
        reject();
    });
    connect(BitBtn_OK, &QPushButton::clicked, this, [this] {
        SaveParams();
        accept();
    });
    LoadParams();
}

void TfFTP_Config::LoadParams() {
    const auto read = [this](const char *key, const QString &fallback) {
        return m_ini ? m_ini->readString(Section, QString::fromLatin1(key), fallback) : fallback;
    };
    LabeledEditHost->setText(read("Host", QString::fromLatin1(DefaultFtpHost)));
    LabeledEditLogin->setText(read("Login", QStringLiteral("orbelan")));
    LabeledEditPassword->setText(read("Password", QStringLiteral("zuqolmed")));
    LabeledEditFolder->setText(read("Folder", QString()));
}

void TfFTP_Config::SaveParams() {
    if (!m_ini)
        return;
    m_ini->writeString(Section, QStringLiteral("Host"), LabeledEditHost->text());
    m_ini->writeString(Section, QStringLiteral("Login"), LabeledEditLogin->text());
    m_ini->writeString(Section, QStringLiteral("Password"), LabeledEditPassword->text());
    m_ini->writeString(Section, QStringLiteral("Folder"), LabeledEditFolder->text());
}

void TfFTP_Config::TestaConexao() {
    // The window answers clicks while the test waits on the server; one test at a time.
    if (m_testing)
        return;
    m_testing = true;
    BitBtn_Testar->setEnabled(false);
    ScopeGuard done([this] {
        BitBtn_Testar->setEnabled(true);
        m_testing = false;
    });
    const QString host = LabeledEditHost->text();
    try {
        IdFTP_Backup.setHost(host);
        IdFTP_Backup.setUsername(LabeledEditLogin->text());
        IdFTP_Backup.setPassword(LabeledEditPassword->text());
        IdFTP_Backup.setPassive(true);
        if (IdFTP_Backup.connected())
            IdFTP_Backup.disconnect();
        IdFTP_Backup.connectToServer();
        info(QStringLiteral("Conectado com sucesso ao host ") + host);
    } catch (const std::exception &e) {
        info(QStringLiteral("Não foi possível conectar-se ao host\r") + host +
             QStringLiteral("\r\rOcorrência:") + messageOf(e));
    }
    const QString folder = LabeledEditFolder->text();
    if (!Trim(folder).isEmpty()) {
        try {
            IdFTP_Backup.changeDir(folder);
            info(QStringLiteral("Conectado com sucesso na pasta ") + UpperTrim(folder));
        } catch (const std::exception &e) {
            info(QStringLiteral("Não foi possível conectar-se à pasta\r") + folder +
                 QStringLiteral("\r\rOcorrência:\r") + messageOf(e));
        }
    }
    if (CheckBox_SaveDB->isChecked() &&
        ConfirmBox(QStringLiteral("Salvar estas configurações em todos os registro?")))
        SalvaDatabase();
}

void TfFTP_Config::SalvaDatabase() {
    if (!m_dm)
        return;
    widgets::TFBSQL sql;
    sql.Database = m_dm->IBDatabase1;
    sql.Table = m_dm->Backups;
    sql.Add(QStringLiteral("FTP_HOST"), LabeledEditHost->text(), true);
    sql.Add(QStringLiteral("FTP_USER"), LabeledEditLogin->text(), true);
    sql.Add(QStringLiteral("FTP_PASSWORD"), LabeledEditPassword->text(), true);
    const int changed = sql.Update(QStringLiteral("1>0"));
    info(QString::number(changed) + QStringLiteral(" Registros atualizados."));
}

void TfFTP_Config::FormResize() {
    widgets::AlinhaBotoes(Panel2);
}

void TfFTP_Config::showEvent(QShowEvent *event) {
    QDialog::showEvent(event);
    FormResize();
    BitBtn_Testar->setFocus(Qt::TabFocusReason);
}

void TfFTP_Config::keyPressEvent(QKeyEvent *event) {
    // Escape is "Cancelar": the fields go back to what the file holds. The close
    // box alone keeps what was typed.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        BitBtn_Cancel->click();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TfFTP_Config::resizeEvent(QResizeEvent *event) {
    QDialog::resizeEvent(event);
    FormResize();
}

} // namespace bkp::ftp
