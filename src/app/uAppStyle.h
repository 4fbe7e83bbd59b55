// The light look of the program: Fusion with a light palette, on every desktop.
#pragma once

class QApplication;

void ApplyLightStyle(QApplication& app);
