#include "transfer/PythonPage.h"

#include <QCheckBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <filesystem>
#include <iterator>

#include "link/Prompter.h"
#include "model/ConfigModel.h"
#include "model/ReplyText.h"

namespace {

// Item data: the gateway's own name and size, whatever the line shows.
constexpr int kNameRole = Qt::UserRole;
constexpr int kSizeRole = Qt::UserRole + 1;

QByteArray Bytes(const std::string& text) {
    return QByteArray(text.data(), static_cast<qsizetype>(text.size()));
}

std::string Text(const QVariant& value) {
    const QByteArray bytes = value.toByteArray();
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

QPushButton* AddButton(const QString& caption, QWidget* parent, QBoxLayout* row) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(caption);
    row->addWidget(button);
    return button;
}

std::string NameList(const std::vector<GatewayFile>& files) {
    std::string names;
    for (const GatewayFile& file : files)
        names += (names.empty() ? "" : ", ") + file.name;
    return names;
}

QFont ListFont() {
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setFamilies({QStringLiteral("Courier New"), font.family()});
    font.setFixedPitch(true);
    return font;
}

}  // namespace

PythonPage::PythonPage(ConfigModel& model, ScriptRunner& runner, UploadRunner& uploader,
                       Prompter& prompter, QWidget* parent)
    : PropertyPage(QStringLiteral("Python"), parent),
      model_(model),
      runner_(runner),
      uploader_(uploader),
      prompter_(prompter) {
    SettingBinding state;
    state.path = "python/state";
    state.number = &autoStart_;
    state.control = kEnableControl;
    state.kind = kOnOffSetting;
    table_ = {state, TextBinding("python/command", &commandLine_, kCommandControl)};
    BuildLayout();
}

void PythonPage::BuildLayout() {
    auto* manage = new QGroupBox(QStringLiteral("Manage Files"), this);
    files_ = new QListWidget(manage);
    files_->setObjectName(QStringLiteral("files"));
    files_->setAccessibleName(manage->title());
    files_->setSelectionMode(QAbstractItemView::NoSelection);
    files_->setFont(ListFont());
    auto* fileButtons = new QHBoxLayout;
    connect(AddButton(QStringLiteral("Download"), manage, fileButtons), &QPushButton::clicked, this,
            &PythonPage::Download);
    connect(AddButton(QStringLiteral("Delete"), manage, fileButtons), &QPushButton::clicked, this,
            &PythonPage::Delete);
    fileButtons->addStretch();
    auto* manageLayout = new QVBoxLayout(manage);
    manageLayout->addWidget(files_);
    manageLayout->addLayout(fileButtons);

    auto* autoStart = new QGroupBox(QStringLiteral("Auto-start Settings"), this);
    enable_ = new QCheckBox(autoStart);
    enable_->setObjectName(QStringLiteral("enable"));
    enable_->hide();
    connect(enable_, &QCheckBox::clicked, this, [this] { UpdateData(true); });
    WatchEdits(enable_);
    command_ = new QLineEdit(autoStart);
    command_->setObjectName(QStringLiteral("commandLine"));
    command_->hide();
    WatchEdits(command_);
    auto* autoStartLayout = new QGridLayout(autoStart);
    autoStartLayout->addWidget(
        new QLabel(QStringLiteral("Specify a python program to be run when the device boots."),
                   autoStart),
        0, 0, 1, 2);
    // The check box has no text of its own: the headings above name both fields.
    auto* enableLabel = new QLabel(QStringLiteral("Enable"), autoStart);
    enableLabel->setBuddy(enable_);
    autoStartLayout->addWidget(enableLabel, 1, 0);
    auto* commandLabel =
        new QLabel(QStringLiteral("Auto-start command line  (specify program filename to execute "
                                  "and any arguments)"),
                   autoStart);
    commandLabel->setBuddy(command_);
    autoStartLayout->addWidget(commandLabel, 1, 1);
    autoStartLayout->addWidget(enable_, 2, 0, Qt::AlignHCenter);
    autoStartLayout->addWidget(command_, 2, 1);
    autoStartLayout->setColumnStretch(1, 1);

    auto* upload = new QGroupBox(QStringLiteral("Upload Files"), this);
    uploadEdit_ = new QLineEdit(upload);
    uploadEdit_->setObjectName(QStringLiteral("uploadFile"));
    auto* pathRow = new QHBoxLayout;
    auto* uploadLabel = new QLabel(QStringLiteral("Upload File:"), upload);
    uploadLabel->setBuddy(uploadEdit_);
    pathRow->addWidget(uploadLabel);
    pathRow->addWidget(uploadEdit_, 1);
    QPushButton* browse = AddButton(QStringLiteral("Browse..."), upload, pathRow);
    browse->setProperty(kLocalButton, true);
    connect(browse, &QPushButton::clicked, this, &PythonPage::Browse);
    auto* uploadRow = new QHBoxLayout;
    connect(AddButton(QStringLiteral("Upload"), upload, uploadRow), &QPushButton::clicked, this,
            &PythonPage::Upload);
    uploadRow->addStretch();
    auto* uploadLayout = new QVBoxLayout(upload);
    uploadLayout->addWidget(new QLabel(QStringLiteral("Upload Python programs"), upload));
    uploadLayout->addLayout(pathRow);
    uploadLayout->addLayout(uploadRow);

    auto* page = new QVBoxLayout(this);
    page->addWidget(manage, 1);
    page->addWidget(autoStart);
    page->addWidget(upload);
}

void PythonPage::ReadTable() {
    ReadSetting(
        [this](int control) {
            if (control == kEnableControl)
                enable_->show();
            else if (control == kCommandControl)
                command_->show();
        },
        table_, model_.SettingsGroups());
}

void PythonPage::OnInitDialog() {
    ReadTable();
    ShowFiles(ListPythonFiles(runner_).value_or(std::vector<GatewayFile>{}));
    TakeReportedValues();
}

void PythonPage::OnSetActive() {
    // Edits not yet applied stay until they are applied or discarded.
    if (IsModified())
        return;
    ReadTable();
    UpdateData(false);
    TakeReportedValues();
}

bool PythonPage::OnApply() {
    NoteSent(WriteChangedSettings(table_, model_.SettingsGroups()));
    return true;
}

void PythonPage::OnApplied() {
    ReadTable();
    UpdateData(false);
}

bool PythonPage::DoDataExchange(bool save) {
    ExchangeText(save, uploadEdit_, uploadFile_);
    ExchangeText(save, command_, commandLine_);
    if (save)
        autoStart_ = enable_->isChecked() ? 1 : 0;
    else
        enable_->setChecked(autoStart_ != 0);
    return true;
}

void PythonPage::ShowFiles(const std::vector<GatewayFile>& files) {
    files_->clear();
    const std::size_t width = NameColumnWidth(files);
    for (const GatewayFile& file : files) {
        auto* item = new QListWidgetItem(
            QString::fromStdString(ToValidUtf8(FormatFileLine(file, width))), files_);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
        item->setData(kNameRole, Bytes(file.name));
        item->setData(kSizeRole, Bytes(file.size));
    }
    UpdateData(false);
}

std::vector<GatewayFile> PythonPage::CheckedFiles() const {
    std::vector<GatewayFile> checked;
    for (int row = 0; row < files_->count(); ++row) {
        const QListWidgetItem* item = files_->item(row);
        if (item->checkState() == Qt::Checked)
            checked.push_back({Text(item->data(kNameRole)), Text(item->data(kSizeRole))});
    }
    return checked;
}

// Every handler first takes what the user typed, so that showing the values
// afterwards loses no edit.
void PythonPage::Browse() {
    UpdateData(true);
    const std::string path = prompter_.ChooseOpenFile("Open", uploadFile_, "*.py (*)");
    if (!path.empty())
        uploadFile_ = path;
    UpdateData(false);
}

void PythonPage::Upload() {
    UpdateData(true);
    const PythonUploadResult result =
        UploadPythonProgram(runner_, uploader_, prompter_, uploadFile_);
    if (result.files)
        ShowFiles(*result.files);
    if (!result.verified)
        return;
    std::error_code error;
    const std::uintmax_t bytes = std::filesystem::file_size(uploadFile_, error);
    ShowStatus(QStringLiteral("%1 uploaded and verified (%2 bytes)")
                   .arg(QString::fromStdString(std::filesystem::path(uploadFile_).filename()))
                   .arg(bytes));
}

void PythonPage::Download() {
    UpdateData(true);
    DownloadPythonFiles(runner_, prompter_, CheckedFiles());
}

void PythonPage::Delete() {
    UpdateData(true);
    const std::vector<GatewayFile> checked = CheckedFiles();
    if (!checked.empty() &&
        !prompter_.Confirm("Delete", "Delete " + NameList(checked) + " from the R7?", "Delete"))
        return;
    const std::optional<std::vector<GatewayFile>> left =
        DeletePythonFiles(runner_, prompter_, checked);
    ShowFiles(left.value_or(std::vector<GatewayFile>{}));
    if (!left)
        return;
    // Gone from the list read afterwards: the gateway confirmed the delete.
    std::vector<GatewayFile> deleted;
    std::ranges::copy_if(checked, std::back_inserter(deleted), [&left](const GatewayFile& file) {
        return std::ranges::none_of(
            *left, [&file](const GatewayFile& kept) { return kept.name == file.name; });
    });
    if (!deleted.empty())
        ShowStatus(QString::fromStdString(NameList(deleted) + " deleted"));
}
