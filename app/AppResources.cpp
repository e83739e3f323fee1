#include "app/AppResources.h"

#include <QtGlobal>

void LoadAppResources() {
    Q_INIT_RESOURCE(r7resources);
}
