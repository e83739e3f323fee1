#include "app/AppResources.h"

#include <QtGlobal>

void LoadAppResources() {
    Q_INIT_RESOURCE(r7resources);
}

QIcon AppIcon() {
    // Every size drawn for itself: the task bar, the window switcher and the
    // About box each take the one nearest their own.
    QIcon icon;
    for (const int size : {16, 24, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/images/icons/r7dashboard-%1.png").arg(size));
    return icon;
}
