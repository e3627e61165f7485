# The Debian packages: install component -> package name. The desktop
# program's package only when it is built.
set(ORVEX_PACKAGE_COMPONENTS lib dev cli ansible)
set(ORVEX_PACKAGE_LIB liborvex2)
set(ORVEX_PACKAGE_DEV liborvex-dev)
set(ORVEX_PACKAGE_CLI orvexctl)
set(ORVEX_PACKAGE_ANSIBLE ansible-collection-orvex-readers)
set(ORVEX_PACKAGE_GUI orvex-readersetup)
if(TARGET OrvexReaderSetup)
  list(APPEND ORVEX_PACKAGE_COMPONENTS gui)
endif()
