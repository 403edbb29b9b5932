#!/usr/bin/env python3
# Usage: tests/arbor/mutants/dragdrop_mutants.py [INDEX...] (after a default build). Each planted
# fault must make arbor_dragdrop_test fail; a SURVIVED line names a fault no test catches.
# Plants one fault at a time in the drag-and-drop code, rebuilds the test and runs it; reverts.
import subprocess, sys, os
os.chdir(os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', '..', '..'))
M = [
 ("guard kept after a click", "arbor/dragdrop/xtreeviewdragdrop.cpp", "if (m_host && m_dragDepth == 0) {", "if (false) {"),
 ("button up at first query latches", "arbor/dragdrop/idragdrop.cpp", "        if (!left) {\n            m_area.End();\n            return DRAGDROP_S_CANCEL;\n        }\n        m_leftDown = true;", "        m_leftDown = left;"),
 ("drop writes back the incoming effect", "arbor/dragdrop/idragdrop.cpp", "    if (pdwEffect)\n        *pdwEffect = effect;", "    (void)0;"),
 ("drop uses the incoming effect", "arbor/dragdrop/idragdrop.cpp", "    const DWORD effect = m_lastEffect;\n    try {\n        dropProcessing", "    const DWORD effect = pdwEffect ? *pdwEffect : 0;\n    try {\n        dropProcessing"),
 ("no revalidation of the source", "arbor/dragdrop/idragdrop.cpp", "    if (!sourceAlive() || fEscapePressed) {", "    if (fEscapePressed) {"),
 ("move deletes after an incomplete copy", "arbor/dragdrop/xtreeviewdragdrop.cpp", "(effect & DROPEFFECT_MOVE) && copied.complete &&", "(effect & DROPEFFECT_MOVE) &&"),
 ("old hover tree keeps scrolling", "arbor/dragdrop/idragdrop.cpp", "            old->leaveDrag();\n    }\n    m_hoverTree = tree;", "            (void)old;\n    }\n    m_hoverTree = tree;"),
 ("allowed effects ignore DropEffect", "arbor/dragdrop/xtreeviewdragdrop.cpp", "return m_host ? (m_host->dropEffect() & 7) : 0;", "return m_host ? 2u : 0u;"),
 ("only the item itself is unreachable", "arbor/dragdrop/xtreeviewdragdrop.cpp", "target->IsInSubtreeOf(source)", "target == source"),
 ("three-state copied as two-state", "arbor/dragdrop/copyitems.cpp", "else if (type == kTypeCheck3)", "else if (false)"),
]
only = sys.argv[1:] 
for i, (name, path, old, new) in enumerate(M):
    if only and str(i) not in only: continue
    src = open(path).read()
    assert old in src, name
    open(path, 'w').write(src.replace(old, new, 1))
    try:
        b = subprocess.run("cmake --build --preset default --target arbor_dragdrop_test -j2", shell=True, capture_output=True, text=True)
        if b.returncode: print(f"{i} {name}: BUILD FAILED"); continue
        r = subprocess.run("timeout 90 cmake/run-test.sh build/default/bin/arbor_dragdrop_test", shell=True, capture_output=True, text=True)
        failed = [l for l in r.stdout.splitlines() if l.startswith("[  FAILED  ]") and "," not in l]
        print(f"{i} {name}: rc={r.returncode} {'KILLED' if r.returncode else 'SURVIVED'} {sorted(set(failed))[:3]}", flush=True)
    finally:
        open(path, 'w').write(src)
