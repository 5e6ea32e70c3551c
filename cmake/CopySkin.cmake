# cmake -DSOURCE=.. -DDESTINATION=.. -P CopySkin.cmake: a fresh copy of the skin folder,
# without the generators that draw and write it.
file(REMOVE_RECURSE ${DESTINATION})
file(COPY ${SOURCE}/ DESTINATION ${DESTINATION} PATTERN tools EXCLUDE)
