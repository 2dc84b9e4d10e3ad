# Writes the description an uninstaller program is packed with: the product data and the
# uninstall wizard's pages of a product's description, so that the packed uninstaller carries
# the pictures, texts and icon those pages show and nothing of the product's files.
#     cmake -DSOURCE=install.xml -DOUTPUT=uninstaller.xml -P UninstallerDescription.cmake
file(READ ${SOURCE} description)
string(REGEX MATCH "<ProductDesc>.*</ProductDesc>" product "${description}")
string(REGEX MATCH "<UninstallDialogs>.*</UninstallDialogs>" pages "${description}")
if(product STREQUAL "" OR pages STREQUAL "")
    message(FATAL_ERROR "${SOURCE} has no ProductDesc or no UninstallDialogs element")
endif()
file(WRITE ${OUTPUT} "<Uninstaller>\n${product}\n${pages}\n"
                     "<Installation><DefValues></DefValues></Installation>\n</Uninstaller>\n")
