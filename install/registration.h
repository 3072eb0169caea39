#pragma once

// Writes the product key, the App Paths entry and the Uninstall entry.
void RegisterProduct();
