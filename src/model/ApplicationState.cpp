#include "model/ApplicationState.h"

ApplicationState& appState()
{
    static ApplicationState state;
    return state;
}
