#!/bin/sh
# Stand-ins for the manual's viewers in FOLDER: each notes its name, its
# number of arguments and its first one in FOLDER/log, then ends at once
# with the status given, or runs on for a while where that is "r".
#   stub-viewers.sh FOLDER NAME=STATUS...
folder=$1
shift
for viewer; do
    name=${viewer%=*} status=${viewer#*=}
    printf '#!/bin/sh\necho ${0##*/} $# "$1" >>%s/log\n[ %s = r ] && exec /bin/sleep 3\nexit %s\n' \
        "$folder" "$status" "$status" >"$folder/$name" && chmod +x "$folder/$name"
done
