on run argv
  return do shell script "/usr/bin/env -i PATH=/usr/bin:/bin LANG=en_US.UTF-8 " & quoted form of (item 1 of argv) & " " & quoted form of (item 2 of argv) & " " & quoted form of (item 3 of argv) with administrator privileges
end run