#include "gui/app_setup.h"

#include "gui/spin_button_style.h"

#include <QApplication>
#include <QDesktopServices>
#include <QLibraryInfo>
#include <QLocale>
#include <QString>
#include <QStyle>
#include <QStyleFactory>
#include <QTranslator>
#include <QUrl>

namespace tirv {

bool InstallQtTranslations(QApplication& app)
{
    // Both programs speak Russian whatever the desktop's language is.
    auto* translator = new QTranslator(&app);
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    if (!translator->load(QLocale(QLocale::Russian, QLocale::Russia), QStringLiteral("qtbase"),
                          QStringLiteral("_"), folder)) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}

void PrepareApplication(QApplication& app)
{
    InstallQtTranslations(app);
    // The platform's style with spin buttons drawn as arrow buttons; QApplication owns it.
    QApplication::setStyle(new SpinButtonStyle(QStyleFactory::create(QApplication::style()->name())));
}

bool StartHelpViewer(const QString& path)
{
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

}  // namespace tirv
