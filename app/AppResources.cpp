#include "app/AppResources.h"

#include <QtGlobal>

void LoadAppResources() {
    Q_INIT_RESOURCE(r7resources);
}

QIcon AppIcon() {
    return QIcon(QStringLiteral(":/images/r7_icon.xpm"));
}
