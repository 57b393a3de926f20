// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Makes screen readers see SwitchButton as a tab list and ImageSwitch as a check box. Every
// control calls it when made; the factory goes in once per process.
void installControlsAccessibility();
