#include "ui/app/CAboutDlg.h"

#include <sys/statvfs.h>
#include <sys/sysinfo.h>

#include <QDialogButtonBox>
#include <QDir>
#include <QGridLayout>
#include <QIcon>
#include <QLabel>
#include <QStorageInfo>

QString CAboutDlg::FreeMemoryText() {
    struct sysinfo info {};
    if (sysinfo(&info) != 0)
        return QStringLiteral("Unavailable");
    const unsigned long kilobytes = static_cast<unsigned long>(
        static_cast<unsigned long long>(info.freeram) * info.mem_unit / 1024);
    return QString::asprintf("%lu KB", kilobytes);
}

QString CAboutDlg::FreeDiskText(const QString& folder) {
    struct statvfs fs {};
    const QByteArray path = QFile::encodeName(folder);
    if (statvfs(path.constData(), &fs) != 0)
        return QStringLiteral("Unavailable");
    const QStorageInfo storage(folder);
    if (!storage.isValid())
        return QStringLiteral("Unavailable");
    // Blocks free to this user, times the block size, in kilobytes.
    const unsigned long kilobytes = static_cast<unsigned long>(
        static_cast<unsigned long long>(fs.f_bavail) * fs.f_frsize / 1024);
    return QString::asprintf("%lu KB Free on ", kilobytes) + storage.rootPath();
}

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(QStringLiteral("About Orvex"));
    auto* icon = new QLabel(this);
    icon->setPixmap(QIcon(QStringLiteral(":/icons/orvex.svg")).pixmap(48, 48));
    auto* name = new QLabel(QStringLiteral("Orvex"), this);
    QFont big = name->font();
    big.setBold(true);
    big.setPointSizeF(big.pointSizeF() * 1.4);
    name->setFont(big);
    auto* version = new QLabel(QStringLiteral("Version 1.5.2"), this);
    auto* memory = new QLabel(FreeMemoryText(), this);
    memory->setObjectName(QStringLiteral("FreeMemory"));
    auto* disk = new QLabel(FreeDiskText(QDir::currentPath()), this);
    disk->setObjectName(QStringLiteral("FreeDisk"));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* grid = new QGridLayout(this);
    grid->addWidget(icon, 0, 0, 2, 1, Qt::AlignTop);
    grid->addWidget(name, 0, 1, 1, 2);
    grid->addWidget(version, 1, 1, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("Free Memory:"), this), 2, 1);
    grid->addWidget(memory, 2, 2);
    grid->addWidget(new QLabel(QStringLiteral("Free Diskspace:"), this), 3, 1);
    grid->addWidget(disk, 3, 2);
    grid->addWidget(buttons, 4, 0, 1, 3);
    grid->setColumnStretch(2, 1);
    grid->setHorizontalSpacing(12);
}
