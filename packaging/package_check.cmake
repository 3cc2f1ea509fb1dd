# SPDX-License-Identifier: GPL-3.0-or-later
# Read by cpack before it packages: refuses a build configured for another prefix than the package's.
if(NOT CPACK_FIREWORKS_CONFIGURED_PREFIX STREQUAL CPACK_PACKAGING_INSTALL_PREFIX)
    message(FATAL_ERROR "The build is configured for ${CPACK_FIREWORKS_CONFIGURED_PREFIX}; the package installs in "
                        "${CPACK_PACKAGING_INSTALL_PREFIX}: configure it with "
                        "-DCMAKE_INSTALL_PREFIX=${CPACK_PACKAGING_INSTALL_PREFIX} first")
endif()
