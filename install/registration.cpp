#include "install/registration.h"

// Placeholder until the registration is built.
void RegisterProduct() {}
