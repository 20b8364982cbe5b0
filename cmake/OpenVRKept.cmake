# The SDK's own loader libraries, kept in third_party/openvr-1.23.7 because
# no package registry the builds reach has them. A build must never lay out
# or ship a loader other than the one the SDK's release holds, so the kept
# copies are checked byte for byte against the release's hashes.

set(OPENVR_KEPT_DIR ${PROJECT_SOURCE_DIR}/third_party/openvr-1.23.7)

# openvr_loader(VAR RELATIVE_PATH SHA256): VAR is OPENVR_ROOT's RELATIVE_PATH
# when that SDK has the file (its bytes are that SDK's business), else the
# kept copy, whose SHA-256 must be SHA256.
function(openvr_loader var relative_path sha256)
  if(OPENVR_ROOT AND EXISTS "${OPENVR_ROOT}/${relative_path}")
    set(${var} "${OPENVR_ROOT}/${relative_path}" PARENT_SCOPE)
    return()
  endif()
  set(kept "${OPENVR_KEPT_DIR}/${relative_path}")
  file(SHA256 "${kept}" actual)
  if(NOT actual STREQUAL sha256)
    message(FATAL_ERROR "${kept} is not the OpenVR SDK 1.23.7's ${relative_path}: its SHA-256 "
                        "is ${actual}, not ${sha256}. Restore it from the SDK's release "
                        "(see third_party/openvr-1.23.7/README.md).")
  endif()
  set(${var} "${kept}" PARENT_SCOPE)
endfunction()

# Every SDK release carries the same BSD licence; a package manager's tree
# may not hold it.
set(OPENVR_LOADER_LICENSE "${OPENVR_KEPT_DIR}/LICENSE")
if(OPENVR_ROOT AND EXISTS "${OPENVR_ROOT}/LICENSE")
  set(OPENVR_LOADER_LICENSE "${OPENVR_ROOT}/LICENSE")
endif()
