// Resources that only the DLL carries: its registration scripts (type "REGISTRY").
#pragma once

// The module: application id, Browser Helper Object entry.
#define IDR_MODULE_REGISTRATION 101
// The class: ProgIDs, class id, Tools-menu extension.
#define IDR_QUILLMEREBHO_REGISTRATION 103
