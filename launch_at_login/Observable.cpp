#include "launch_at_login/Observable.h"

namespace LaunchAtLogin {

Observable& Observable::instance() {
    static Observable* observable = new Observable;
    return *observable;
}

} // namespace LaunchAtLogin
