#include "file_dialog.h"

#include <QAbstractFileIconProvider>
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QStandardPaths>
#include <QStyle>
#include <QWindow>

namespace simat {

namespace {

// A folder or a file, told apart by what the directory listing already knows. The dialog asks
// from its own thread, so the two icons are drawn beforehand.
class PlainIconProvider : public QAbstractFileIconProvider {
public:
    PlainIconProvider()
        : m_file(QApplication::style()->standardIcon(QStyle::SP_FileIcon))
        , m_folder(QApplication::style()->standardIcon(QStyle::SP_DirIcon))
    {}
    QIcon icon(IconType type) const override { return type == IconType::File ? m_file : m_folder; }
    QIcon icon(const QFileInfo &info) const override
    {
        return icon(info.isDir() ? IconType::Folder : IconType::File);
    }
    QString type(const QFileInfo &info) const override
    {
        return info.isDir() ? QStringLiteral("مجلد") : QStringLiteral("ملف");
    }

private:
    QIcon m_file;
    QIcon m_folder;
};

QString documentsFolder()
{
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return QDir(documents).exists() ? documents : QDir::homePath();
}

QString choose(QWidget *parent, const QString &caption, const QString &start, const QString &filter,
               QFileDialog::AcceptMode mode)
{
    PlainIconProvider icons;
    // Without a parent the dialog takes none of a window's style sheet (the menus draw their
    // own tool buttons, which would blank the dialog's); it stays over the window all the same.
    QFileDialog dialog(nullptr, caption, start, filter);
    dialog.setWindowModality(Qt::ApplicationModal);
    if (parent) {
        dialog.winId();
        dialog.windowHandle()->setTransientParent(parent->window()->windowHandle());
    }
    dialog.setObjectName(mode == QFileDialog::AcceptSave ? QStringLiteral("SaveFileDialog")
                                                         : QStringLiteral("OpenFileDialog"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setIconProvider(&icons);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(QFileDialog::AnyFile);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return dialog.selectedFiles().value(0);
}

} // namespace

QString chooseSavePath(QWidget *parent, const QString &caption, const QString &fileName,
                       const QString &filter)
{
    return choose(parent, caption, QDir(documentsFolder()).filePath(fileName), filter,
                  QFileDialog::AcceptSave);
}

QString chooseFilePath(QWidget *parent, const QString &caption, const QString &startPath,
                       const QString &filter)
{
    return choose(parent, caption, startPath.isEmpty() ? documentsFolder() : startPath, filter,
                  QFileDialog::AcceptOpen);
}

} // namespace simat
