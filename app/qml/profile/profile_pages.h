#pragma once

// Registers the resources of the grid, progress and film-curve pages
// (qrc:/qml/profile/ and qrc:/assets/profile/). Safe to call more than once.
void pq_initProfilePages();
