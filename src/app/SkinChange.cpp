#include "app/SkinChange.h"

SkinChangeObserver& skinChangeObserver() {
    static SkinChangeObserver observer;
    return observer;
}
