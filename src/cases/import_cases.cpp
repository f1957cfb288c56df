#include "import_cases.h"

#include "core/bidi.h"
#include "core/error.h"
#include "core/permissions.h"
#include "data/case_fields.h"
#include "data/dm.h"
#include "ui/action.h"
#include "ui/file_dialog.h"
#include "ui/global.h"
#include "ui/messages.h"
#include "ui/work_progress.h"
#include "ui_import_cases.h"

#include <QAbstractTableModel>
#include <QComboBox>
#include <QFileInfo>
#include <QHeaderView>
#include <QSignalBlocker>
#include <QSortFilterProxyModel>
#include <QStyle>

namespace simat {

namespace {

// Files of more rows than this are checked under a progress bar.
constexpr int rowsCheckedAtOnce = 2000;

Database &database()
{
    return TDataModule1::instance()->Database1;
}

QString encodingText(const QString &encoding)
{
    return encoding == QLatin1String("windows-1256") ? QStringLiteral("ترميز Windows-1256")
                                                     : QStringLiteral("ترميز %1").arg(encoding);
}

QString separatorText(QChar separator)
{
    if (separator == u';')
        return QStringLiteral("الفاصل فاصلة منقوطة");
    if (separator == u'\t')
        return QStringLiteral("الفاصل علامة جدولة");
    return QStringLiteral("الفاصل فاصلة");
}

} // namespace

// The checked rows: line, verdict, the name and birth date as the file has them, and what is
// wrong; refused rows stand out.
class ImportPreviewModel : public QAbstractTableModel {
public:
    using QAbstractTableModel::QAbstractTableModel;

    void show(const case_import::Source *source, const case_import::Preview *preview,
              const QList<int> &matches)
    {
        beginResetModel();
        m_source = source;
        m_preview = preview;
        m_nameColumn = matches.indexOf(0);
        m_birthColumn = matches.indexOf(1);
        endResetModel();
    }
    int rowCount(const QModelIndex &parent = {}) const override
    {
        return parent.isValid() || !m_preview ? 0 : int(m_preview->rows.size());
    }
    int columnCount(const QModelIndex &parent = {}) const override
    {
        return parent.isValid() ? 0 : 5;
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        static const QStringList titles = {QStringLiteral("السطر"), QStringLiteral("النتيجة"),
                                           QStringLiteral("الاسم"), QStringLiteral("تاريخ الميلاد"),
                                           QStringLiteral("ما به من خطأ")};
        if (orientation == Qt::Horizontal && role == Qt::DisplayRole)
            return titles.value(section);
        return {};
    }
    QVariant data(const QModelIndex &index, int role) const override
    {
        const case_import::CheckedRow &row = m_preview->rows.at(index.row());
        if (role == Qt::BackgroundRole && !row.accepted())
            return QColor(0xfd, 0xe2, 0xe2);
        if (role == Qt::ForegroundRole && index.column() == 1)
            return QColor(row.accepted() ? 0x1b6e2a : 0xa11b1b);
        if (role == Qt::UserRole)
            return row.accepted();
        if (role != Qt::DisplayRole && role != Qt::ToolTipRole)
            return {};
        const QStringList &cells = m_source->file.rows.at(row.line - 1);
        switch (index.column()) {
        case 0:
            return row.line;
        case 1:
            return row.accepted() ? QStringLiteral("مقبول") : QStringLiteral("مرفوض");
        case 2:
            return cells.value(m_nameColumn).trimmed();
        case 3:
            return cells.value(m_birthColumn).trimmed();
        default:
            return row.problems.join(QStringLiteral("؛ "));
        }
    }

private:
    const case_import::Source *m_source = nullptr;
    const case_import::Preview *m_preview = nullptr;
    qsizetype m_nameColumn = -1;
    qsizetype m_birthColumn = -1;
};

TImportCasesForm::TImportCasesForm(QWidget *parent)
    : TScreen(parent)
    , ui(std::make_unique<Ui::ImportCasesForm>())
    , m_rows(new ImportPreviewModel(this))
    , m_shownRows(new QSortFilterProxyModel(this))
{
    ui->setupUi(this);
    m_shownRows->setSourceModel(m_rows);
    m_shownRows->setFilterRole(Qt::UserRole);
    ui->DBGpreview->setModel(m_shownRows);
    ui->splitter->setStretchFactor(1, 2);
    ui->splitter->setSizes({390, 790});
    ui->SGcolumns->setColumnCount(3);
    ui->SGcolumns->setHorizontalHeaderLabels(
        {QStringLiteral("عمود الملف"), QStringLiteral("أول قيمة"), QStringLiteral("حقل الحالة")});
    ui->spOpenFile->setIcon(style()->standardIcon(QStyle::SP_DialogOpenButton));
    ui->spImport->setIcon(style()->standardIcon(QStyle::SP_DialogApplyButton));
    ui->spExit->setIcon(style()->standardIcon(QStyle::SP_DialogCloseButton));
    connect(ui->spOpenFile, &QToolButton::clicked, this,
            guarded(this, &TImportCasesForm::spOpenFileClick));
    connect(ui->spImport, &QToolButton::clicked, this,
            guarded(this, &TImportCasesForm::spImportClick));
    connect(ui->spExit, &QToolButton::clicked, this, guarded(this, &TImportCasesForm::spExitClick));
    connect(ui->CHBaddNames, &QCheckBox::toggled, this,
            guarded(this, &TImportCasesForm::checkRows));
    connect(ui->CHBrefusedOnly, &QCheckBox::toggled, this, [this](bool refusedOnly) {
        m_shownRows->setFilterFixedString(refusedOnly ? QStringLiteral("false") : QString());
    });
    installFunctionKeys();
}

TImportCasesForm::~TImportCasesForm() = default;

void TImportCasesForm::applyUserLevel()
{
    const bool may = permissions::mayImportCases(sessionAccess());
    ui->spOpenFile->setEnabled(may);
    ui->spImport->setEnabled(may && m_preview.accepted() > 0);
}

void TImportCasesForm::FormShow()
{
    for (QCheckBox *option : {ui->CHBaddNames, ui->CHBrefusedOnly}) {
        const QSignalBlocker quiet(option);
        option->setChecked(false);
    }
    m_shownRows->setFilterFixedString(QString());
    clearFile();
    TScreen::FormShow();
}

void TImportCasesForm::clearFile()
{
    m_source.reset();
    m_preview = {};
    m_rows->show(nullptr, nullptr, {});
    ui->eFileName->clear();
    ui->LFileInfo->clear();
    ui->SGcolumns->setRowCount(0);
    ui->LUnknownNames->clear();
    ui->LCounts->clear();
    ui->spImport->setEnabled(false);
}

void TImportCasesForm::spOpenFileClick()
{
    if (!permissions::mayImportCases(sessionAccess()))
        return;
    const QString path = chooseFilePath(this, QStringLiteral("استيراد حالات"), QString(),
                                        QStringLiteral("ملفات CSV (*.csv *.txt);;كل الملفات (*)"));
    if (!path.isEmpty())
        openFile(path);
}

void TImportCasesForm::openFile(const QString &path)
{
    clearFile();
    m_source = case_import::readSource(path);
    ui->eFileName->setText(QFileInfo(path).fileName());
    ui->LFileInfo->setText(
        QStringLiteral("%1 صفًا، %2، %3")
            .arg(m_source->rowCount())
            .arg(encodingText(m_source->file.encoding), separatorText(m_source->file.separator)));
    showMatches();
    checkRows();
}

void TImportCasesForm::showMatches()
{
    const QStringList heading = m_source->heading();
    const QList<int> matches = case_import::matchColumns(heading);
    ui->SGcolumns->setRowCount(int(heading.size()));
    for (int column = 0; column < heading.size(); ++column) {
        ui->SGcolumns->setItem(column, 0, new QTableWidgetItem(heading.at(column)));
        ui->SGcolumns->setItem(
            column, 1, new QTableWidgetItem(m_source->file.rows.at(1).value(column).trimmed()));
        QComboBox *chooser = fieldChooser(column);
        chooser->setCurrentIndex(chooser->findData(matches.at(column)));
        connect(chooser, &QComboBox::currentIndexChanged, this,
                guarded(this, &TImportCasesForm::checkRows));
    }
    ui->SGcolumns->resizeColumnsToContents();
    ui->SGcolumns->setColumnWidth(1, std::min(ui->SGcolumns->columnWidth(1), 130));
}

QComboBox *TImportCasesForm::fieldChooser(int column)
{
    auto *chooser = new QComboBox;
    chooser->setObjectName(QStringLiteral("CBfield_%1").arg(column + 1));
    chooser->addItem(QStringLiteral("(لا يُستورد)"), -1);
    const QList<case_fields::Field> &fields = case_fields::fields();
    for (int field = 0; field < fields.size(); ++field)
        chooser->addItem(fields.at(field).caption, field);
    ui->SGcolumns->setCellWidget(column, 2, chooser);
    return chooser;
}

QList<int> TImportCasesForm::chosenMatches() const
{
    QList<int> matches;
    for (int column = 0; column < ui->SGcolumns->rowCount(); ++column)
        matches << qobject_cast<QComboBox *>(ui->SGcolumns->cellWidget(column, 2))
                       ->currentData()
                       .toInt();
    return matches;
}

void TImportCasesForm::checkRows()
{
    if (!m_source)
        return;
    const QList<int> matches = chosenMatches();
    const auto unknown = ui->CHBaddNames->isChecked() ? case_import::UnknownNames::Add
                                                      : case_import::UnknownNames::Refuse;
    m_rows->show(nullptr, nullptr, {});
    if (m_source->rowCount() > rowsCheckedAtOnce) {
        WorkProgress progress(this, QStringLiteral("جارى فحص صفوف الملف..."));
        m_preview = case_import::check(database(), *m_source, matches, unknown, progress.report());
    } else {
        m_preview = case_import::check(database(), *m_source, matches, unknown);
    }
    m_rows->show(&*m_source, &m_preview, matches);
    for (const auto &[column, width] : {std::pair{0, 45}, {1, 60}, {2, 150}, {3, 90}})
        ui->DBGpreview->setColumnWidth(column, width);
    QStringList unknownNames;
    for (auto names = m_preview.unknownNames.cbegin(); names != m_preview.unknownNames.cend();
         ++names)
        unknownNames << QStringLiteral("%1: %2").arg(names.key(),
                                                     names.value().join(QStringLiteral("، ")));
    ui->LUnknownNames->setText(unknownNames.isEmpty()
                                   ? QString()
                                   : QStringLiteral("أسماء لا يحملها أى صف من جداولها — ") +
                                         unknownNames.join(QStringLiteral(" — ")));
    if (!matches.contains(0))
        ui->LUnknownNames->setText(QStringLiteral("لم يُطابَق أى عمود بحقل الاسم"));
    showCounts();
    applyUserLevel();
}

void TImportCasesForm::showCounts()
{
    ui->LCounts->setText(QStringLiteral("صفوف الملف %1: مقبولة %2، مرفوضة %3")
                             .arg(m_preview.rows.size())
                             .arg(m_preview.accepted())
                             .arg(m_preview.refused()));
}

void TImportCasesForm::spImportClick()
{
    if (!permissions::mayImportCases(sessionAccess()) || !m_source)
        return;
    if (m_preview.accepted() == 0) {
        messages::info(QStringLiteral("لا يوجد فى الملف صف صالح للاستيراد"), this);
        return;
    }
    case_import::Imported imported;
    try {
        WorkProgress progress(this, QStringLiteral("جارى استيراد الحالات..."));
        imported =
            case_import::write(*TDataModule1::instance(), m_preview, globals().CurrentBranchNo,
                               globals().session.SessionUserCode, progress.report());
    } catch (const Error &error) {
        messages::error(QStringLiteral("لم يتم الاستيراد، ولم تُسجَّل أى حالة من الملف"), error.text(),
                        this);
        return;
    }
    offerRefusedRows(imported);
    checkRows();
}

void TImportCasesForm::offerRefusedRows(const case_import::Imported &imported)
{
    QString text = QStringLiteral("تم استيراد %1 حالة (الأكواد من %2 إلى %3)، ورُفض %4 صفًا")
                       .arg(imported.cases)
                       .arg(isolated(QString::number(imported.firstCode)),
                            isolated(QString::number(imported.lastCode)))
                       .arg(m_preview.refused());
    if (imported.namesAdded > 0)
        text += QStringLiteral("، وأضيف %1 اسمًا إلى الجداول").arg(imported.namesAdded);
    if (m_preview.refused() == 0) {
        messages::info(text, this, messages::Sound::Silent);
        return;
    }
    if (!messages::ask(
            text + QStringLiteral("\nهل تريد حفظ الصفوف المرفوضة وأسباب رفضها فى ملف CSV؟"), this))
        return;
    const QString path = chooseSavePath(this, QStringLiteral("حفظ الصفوف المرفوضة"),
                                        QFileInfo(m_source->path).completeBaseName() +
                                            QStringLiteral("-refused.csv"),
                                        QStringLiteral("ملفات CSV (*.csv);;كل الملفات (*)"));
    if (path.isEmpty())
        return;
    case_import::writeRefused(*m_source, m_preview, path);
    messages::info(QStringLiteral("تم حفظ الصفوف المرفوضة (%1) فى الملف:\n%2\nفى المجلد %3")
                       .arg(m_preview.refused())
                       .arg(isolated(QFileInfo(path).fileName()), messages::folderText(path)),
                   this, messages::Sound::Silent);
}

void TImportCasesForm::spExitClick()
{
    close();
}

} // namespace simat
