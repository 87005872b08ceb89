# The external names of the C library: every function that the ISO C
# headers (through C23) and the POSIX.1-2017 headers declare in glibc 2.36
# and in newlib 3.3 (Debian 12), and the library's objects (stdin, environ,
# optarg, timezone, ...). A table of one of these names would stand in for
# the library's own at link time, and a program that calls it would crash.
#
# Made with GCC's -aux-info, which lists every function a file declares:
#   gcc -std=c2x -fsyntax-only -aux-info iso.aux iso.c
#   gcc -std=c99 -D_XOPEN_SOURCE=700 -fsyntax-only -aux-info posix.aux posix.c
# and the same with arm-none-eabi-gcc (newlib), where iso.c includes each
# ISO C header and posix.c each POSIX one that the library has; the names
# are the declared functions', less those reserved to the implementation
# (two underscores, or one and a capital), which NAME refuses anyway.
# <stropts.h>, which glibc no longer has, and the objects were added by
# hand from the headers.
set(library_names
  _asiprintf_r _asniprintf_r _asnprintf_r _asprintf_r _atoi_r _atol_r _atoll_r _calloc_r
  _close_r _diprintf_r _dprintf_r _drand48_r _dtoa_r _duplocale_r _erand48_r _execve_r
  _exit _fclose_r _fcloseall_r _fcntl_r _fdopen_r _fflush_r _fgetc_r _fgetc_unlocked_r
  _fgetpos_r _fgets_r _fgets_unlocked_r _fgetwc_r _fgetwc_unlocked_r _fgetws_r
  _fgetws_unlocked_r _findenv _findenv_r _fiprintf_r _fiscanf_r _fmemopen_r _fopen_r
  _fork_r _fprintf_r _fpurge_r _fputc_r _fputc_unlocked_r _fputs_r _fputs_unlocked_r
  _fputwc_r _fputwc_unlocked_r _fputws_r _fputws_unlocked_r _fread_r _fread_unlocked_r
  _free_r _freelocale_r _freopen_r _fscanf_r _fseek_r _fseeko_r _fsetpos_r _fstat_r
  _ftell_r _ftello_r _fwide_r _fwprintf_r _fwrite_r _fwrite_unlocked_r _fwscanf_r _getc_r
  _getc_unlocked_r _getchar_r _getchar_unlocked _getchar_unlocked_r _getenv_r _getpid_r
  _gets_r _gettimeofday_r _getwc_r _getwc_unlocked_r _getwchar_r _getwchar_unlocked_r
  _iconv_close_r _iconv_open_r _iconv_r _iprintf_r _isatty_r _iscanf_r _jrand48_r _kill_r
  _l64a_r _lcong48_r _link_r _localeconv_r _longjmp _lrand48_r _lseek_r _malloc_r _mblen_r
  _mbrtowc_r _mbsnrtowcs_r _mbsrtowcs_r _mbstowcs_r _mbtowc_r _mkdir_r _mkdtemp_r
  _mkostemp_r _mkostemps_r _mkstemp_r _mkstemps_r _mktemp_r _mrand48_r _mstats_r
  _newlocale_r _nrand48_r _open_memstream_r _open_r _open_wmemstream_r _perror_r
  _printf_r _putc_r _putc_unlocked_r _putchar_r _putchar_unlocked _putchar_unlocked_r
  _putenv_r _puts_r _putwc_r _putwc_unlocked_r _putwchar_r _putwchar_unlocked_r _raise_r
  _read_r _realloc_r _reallocf_r _reclaim_reent _remove_r _rename_r _rewind_r _sbrk_r
  _scanf_r _seed48_r _setenv_r _setjmp _setlocale_r _signal_r _siprintf_r _siscanf_r
  _sniprintf_r _snprintf_r _sprintf_r _srand48_r _sscanf_r _stat_r _strdup_r _strerror_r
  _strndup_r _strtod_r _strtoimax_r _strtol_r _strtold_r _strtoll_r _strtoul_r _strtoull_r
  _strtoumax_r _swprintf_r _swscanf_r _system_r _tempnam_r _times_r _tmpfile_r _tmpnam_r
  _tolower _toupper _tzset_r _ungetc_r _ungetwc_r _unlink_r _unsetenv_r _uselocale_r
  _vasiprintf_r _vasniprintf_r _vasnprintf_r _vasprintf_r _vdiprintf_r _vdprintf_r
  _vfiprintf_r _vfiscanf_r _vfprintf_r _vfscanf_r _vfwprintf_r _vfwscanf_r _viprintf_r
  _viscanf_r _vprintf_r _vscanf_r _vsiprintf_r _vsiscanf_r _vsniprintf_r _vsnprintf_r
  _vsprintf_r _vsscanf_r _vswprintf_r _vswscanf_r _vwprintf_r _vwscanf_r _wait _wait_r
  _wcrtomb_r _wcsdup_r _wcsnrtombs_r _wcsrtombs_r _wcstod_r _wcstof_r _wcstoimax_r _wcstol_r
  _wcstoll_r _wcstombs_r _wcstoul_r _wcstoull_r _wcstoumax_r _wctomb_r _wprintf_r _write_r
  _wscanf_r a64l abort abs accept access acos acosf acosh acoshf acoshl acosl aio_cancel
  aio_error aio_fsync aio_read aio_return aio_suspend aio_write alarm aligned_alloc alphasort
  asctime asctime_r asin asinf asinh asinhf asinhl asinl at_quick_exit atan atan2 atan2f
  atan2l atanf atanh atanhf atanhl atanl atexit atof atoi atol atoll atomic_flag_clear
  atomic_flag_clear_explicit atomic_flag_test_and_set atomic_flag_test_and_set_explicit
  atomic_signal_fence atomic_thread_fence bind bsearch btowc c16rtomb c32rtomb c8rtomb
  cabs cabsf cabsl cacos cacosf cacosh cacoshf cacoshl cacosl call_once calloc canonicalize
  canonicalizef canonicalizel carg cargf cargl casin casinf casinh casinhf casinhl casinl
  catan catanf catanh catanhf catanhl catanl catclose catgets catopen cbrt cbrtf cbrtl
  ccos ccosf ccosh ccoshf ccoshl ccosl ceil ceilf ceill cexp cexpf cexpl cfgetispeed
  cfgetospeed cfsetispeed cfsetospeed chdir chmod chown cimag cimagf cimagl clearerr clock
  clock_getcpuclockid clock_getres clock_gettime clock_nanosleep clock_settime clog clogf
  clogl close closedir closelog cnd_broadcast cnd_destroy cnd_init cnd_signal cnd_timedwait
  cnd_wait confstr conj conjf conjl connect copysign copysignf copysignl cos cosf cosh
  coshf coshl cosl cpow cpowf cpowl cproj cprojf cprojl creal crealf creall creat crypt csin
  csinf csinh csinhf csinhl csinl csqrt csqrtf csqrtl ctan ctanf ctanh ctanhf ctanhl ctanl
  ctermid ctime ctime_r daddl daylight dbm_clearerr dbm_close dbm_delete dbm_error dbm_fetch
  dbm_firstkey dbm_nextkey dbm_open dbm_store ddivl dfmal difftime dirfd dirname div dlclose
  dlerror dlopen dlsym dmull dprintf drand48 dsqrtl dsubl dup dup2 duplocale encrypt endgrent
  endhostent endnetent endprotoent endpwent endservent endutxent environ erand48 erf erfc
  erfcf erfcl erff erfl execl execle execlp execv execve execvp exit exp exp10 exp10f
  exp10l exp2 exp2f exp2l expf expl expm1 expm1f expm1l fabs fabsf fabsl faccessat fadd
  faddl fattach fchdir fchmod fchmodat fchown fchownat fclose fcntl fdatasync fdetach fdim
  fdimf fdiml fdiv fdivl fdopen fdopendir feclearexcept fegetenv fegetexceptflag fegetmode
  fegetround feholdexcept feof feraiseexcept ferror fesetenv fesetexcept fesetexceptflag
  fesetmode fesetround fetestexcept fetestexceptflag feupdateenv fexecve fflush ffma ffmal
  ffs fgetc fgetpos fgets fgetwc fgetws fileno flockfile floor floorf floorl fma fmaf fmal
  fmax fmaxf fmaximum fmaximum_mag fmaximum_mag_num fmaximum_mag_numf fmaximum_mag_numl
  fmaximum_magf fmaximum_magl fmaximum_num fmaximum_numf fmaximum_numl fmaximumf fmaximuml
  fmaxl fmemopen fmin fminf fminimum fminimum_mag fminimum_mag_num fminimum_mag_numf
  fminimum_mag_numl fminimum_magf fminimum_magl fminimum_num fminimum_numf fminimum_numl
  fminimumf fminimuml fminl fmod fmodf fmodl fmtmsg fmul fmull fnmatch fopen fork fpathconf
  fprintf fpurge fputc fputs fputwc fputws fread free freeaddrinfo freelocale freopen
  frexp frexpf frexpl fromfp fromfpf fromfpl fromfpx fromfpxf fromfpxl fscanf fseek fseeko
  fsetpos fsqrt fsqrtl fstat fstatat fstatvfs fsub fsubl fsync ftell ftello ftok ftruncate
  ftrylockfile ftw funlockfile futimens fwide fwprintf fwrite fwscanf gai_strerror gamma
  gammaf getaddrinfo getc getc_unlocked getchar getchar_unlocked getcwd getdate getdate_err
  getdelim getegid getenv geteuid getgid getgrent getgrgid getgrgid_r getgrnam getgrnam_r
  getgroups gethostbyaddr gethostbyname gethostent gethostid gethostname getitimer
  getline getlogin getlogin_r getmsg getnameinfo getnetbyaddr getnetbyname getnetent
  getopt getpeername getpgid getpgrp getpid getpmsg getppid getpriority getprotobyname
  getprotobynumber getprotoent getpwent getpwnam getpwnam_r getpwuid getpwuid_r getrlimit
  getrusage gets getservbyname getservbyport getservent getsid getsockname getsockopt
  getsubopt gettimeofday getuid getutxent getutxid getutxline getwc getwchar glob globfree
  gmtime gmtime_r grantpt hcreate hcreate_r hdestroy hdestroy_r hsearch hsearch_r htonl
  htons hypot hypotf hypotl iconv iconv_close iconv_open if_freenameindex if_indextoname
  if_nameindex if_nametoindex ilogb ilogbf ilogbl imaxabs imaxdiv inet_addr inet_lnaof
  inet_makeaddr inet_netof inet_network inet_ntoa inet_ntop inet_pton infinity infinityf
  initstate insque ioctl isalnum isalnum_l isalpha isalpha_l isascii isastream isatty
  isblank isblank_l iscntrl iscntrl_l isdigit isdigit_l isgraph isgraph_l islower islower_l
  isprint isprint_l ispunct ispunct_l isspace isspace_l isupper isupper_l iswalnum iswalnum_l
  iswalpha iswalpha_l iswblank iswblank_l iswcntrl iswcntrl_l iswctype iswctype_l iswdigit
  iswdigit_l iswgraph iswgraph_l iswlower iswlower_l iswprint iswprint_l iswpunct iswpunct_l
  iswspace iswspace_l iswupper iswupper_l iswxdigit iswxdigit_l isxdigit isxdigit_l j0
  j0f j1 j1f jn jnf jrand48 kill killpg l64a labs lchown lcong48 ldexp ldexpf ldexpl ldiv
  lfind lgamma lgammaf lgammal link linkat lio_listio listen llabs lldiv llogb llogbf llogbl
  llrint llrintf llrintl llround llroundf llroundl localeconv localtime localtime_r lockf
  log log10 log10f log10l log1p log1pf log1pl log2 log2f log2l logb logbf logbl logf logl
  longjmp lrand48 lrint lrintf lrintl lround lroundf lroundl lsearch lseek lstat malloc
  mblen mbrlen mbrtoc16 mbrtoc32 mbrtoc8 mbrtowc mbsinit mbsnrtowcs mbsrtowcs mbstowcs
  mbtowc memccpy memchr memcmp memcpy memmove memset mkdir mkdirat mkdtemp mkfifo mkfifoat
  mknod mknodat mkstemp mktime mlock mlockall mmap modf modff modfl mprotect mq_close
  mq_getattr mq_notify mq_open mq_receive mq_send mq_setattr mq_timedreceive mq_timedsend
  mq_unlink mrand48 msgctl msgget msgrcv msgsnd msync mtx_destroy mtx_init mtx_lock
  mtx_timedlock mtx_trylock mtx_unlock munlock munlockall munmap nan nanf nanl nanosleep
  nearbyint nearbyintf nearbyintl newlocale nextafter nextafterf nextafterl nextdown
  nextdownf nextdownl nexttoward nexttowardf nexttowardl nextup nextupf nextupl nftw
  nice nl_langinfo nl_langinfo_l nrand48 ntohl ntohs open open_memstream open_wmemstream
  openat opendir openlog optarg opterr optind optopt pathconf pause pclose perror pipe
  poll popen posix_fadvise posix_fallocate posix_madvise posix_memalign posix_openpt
  posix_spawn posix_spawn_file_actions_addclose posix_spawn_file_actions_adddup2
  posix_spawn_file_actions_addopen posix_spawn_file_actions_destroy
  posix_spawn_file_actions_init posix_spawnattr_destroy posix_spawnattr_getflags
  posix_spawnattr_getpgroup posix_spawnattr_getschedparam posix_spawnattr_getschedpolicy
  posix_spawnattr_getsigdefault posix_spawnattr_getsigmask posix_spawnattr_init
  posix_spawnattr_setflags posix_spawnattr_setpgroup posix_spawnattr_setschedparam
  posix_spawnattr_setschedpolicy posix_spawnattr_setsigdefault posix_spawnattr_setsigmask
  posix_spawnp pow powf powl pread printf pselect psiginfo psignal pthread_atfork
  pthread_attr_destroy pthread_attr_getdetachstate pthread_attr_getguardsize
  pthread_attr_getinheritsched pthread_attr_getschedparam pthread_attr_getschedpolicy
  pthread_attr_getscope pthread_attr_getstack pthread_attr_getstackaddr
  pthread_attr_getstacksize pthread_attr_init pthread_attr_setdetachstate
  pthread_attr_setguardsize pthread_attr_setinheritsched pthread_attr_setschedparam
  pthread_attr_setschedpolicy pthread_attr_setscope pthread_attr_setstack
  pthread_attr_setstackaddr pthread_attr_setstacksize pthread_barrier_destroy
  pthread_barrier_init pthread_barrier_wait pthread_barrierattr_destroy
  pthread_barrierattr_getpshared pthread_barrierattr_init pthread_barrierattr_setpshared
  pthread_cancel pthread_cond_broadcast pthread_cond_destroy pthread_cond_init
  pthread_cond_signal pthread_cond_timedwait pthread_cond_wait pthread_condattr_destroy
  pthread_condattr_getclock pthread_condattr_getpshared pthread_condattr_init
  pthread_condattr_setclock pthread_condattr_setpshared pthread_create pthread_detach
  pthread_equal pthread_exit pthread_getconcurrency pthread_getcpuclockid
  pthread_getschedparam pthread_getspecific pthread_join pthread_key_create
  pthread_key_delete pthread_kill pthread_mutex_consistent pthread_mutex_destroy
  pthread_mutex_getprioceiling pthread_mutex_init pthread_mutex_lock
  pthread_mutex_setprioceiling pthread_mutex_timedlock pthread_mutex_trylock
  pthread_mutex_unlock pthread_mutexattr_destroy pthread_mutexattr_getprioceiling
  pthread_mutexattr_getprotocol pthread_mutexattr_getpshared pthread_mutexattr_getrobust
  pthread_mutexattr_gettype pthread_mutexattr_init pthread_mutexattr_setprioceiling
  pthread_mutexattr_setprotocol pthread_mutexattr_setpshared pthread_mutexattr_setrobust
  pthread_mutexattr_settype pthread_once pthread_rwlock_destroy pthread_rwlock_init
  pthread_rwlock_rdlock pthread_rwlock_timedrdlock pthread_rwlock_timedwrlock
  pthread_rwlock_tryrdlock pthread_rwlock_trywrlock pthread_rwlock_unlock
  pthread_rwlock_wrlock pthread_rwlockattr_destroy pthread_rwlockattr_getkind_np
  pthread_rwlockattr_getpshared pthread_rwlockattr_init pthread_rwlockattr_setkind_np
  pthread_rwlockattr_setpshared pthread_self pthread_setcancelstate pthread_setcanceltype
  pthread_setconcurrency pthread_setschedparam pthread_setschedprio pthread_setspecific
  pthread_sigmask pthread_spin_destroy pthread_spin_init pthread_spin_lock
  pthread_spin_trylock pthread_spin_unlock pthread_testcancel ptsname putc putc_unlocked
  putchar putchar_unlocked putenv putmsg putpmsg puts pututxline putwc putwchar pwrite
  qsort quick_exit raise rand rand_r random read readdir readdir_r readlink readlinkat
  readv realloc realpath recv recvfrom recvmsg regcomp regerror regexec regfree remainder
  remainderf remainderl remove remque remquo remquof remquol rename renameat rewind rewinddir
  rint rintf rintl rmdir round roundeven roundevenf roundevenl roundf roundl scalbln scalblnf
  scalblnl scalbn scalbnf scalbnl scandir scanf sched_get_priority_max sched_get_priority_min
  sched_getparam sched_getscheduler sched_rr_get_interval sched_setparam sched_setscheduler
  sched_yield seed48 seekdir select sem_close sem_destroy sem_getvalue sem_init sem_open
  sem_post sem_timedwait sem_trywait sem_unlink sem_wait semctl semget semop send sendmsg
  sendto setbuf setegid setenv seteuid setgid setgrent sethostent setitimer setjmp setkey
  setlocale setlogmask setnetent setpgid setpgrp setpriority setprotoent setpwent setregid
  setreuid setrlimit setservent setsid setsockopt setstate setuid setutxent setvbuf shm_open
  shm_unlink shmat shmctl shmdt shmget shutdown sigaction sigaddset sigaltstack sigdelset
  sigemptyset sigfillset sighold sigignore siginterrupt sigismember siglongjmp signal signgam
  sigpause sigpending sigprocmask sigqueue sigrelse sigset sigsuspend sigtimedwait sigwait
  sigwaitinfo sin sinf sinh sinhf sinhl sinl sleep snprintf sockatmark socket socketpair
  sprintf sqrt sqrtf sqrtl srand srand48 srandom sscanf stat statvfs stderr stdin stdout
  stpcpy stpncpy strcasecmp strcasecmp_l strcat strchr strcmp strcoll strcoll_l strcpy
  strcspn strdup strerror strerror_l strerror_r strfmon strfmon_l strfromd strfromf
  strfroml strftime strftime_l strlen strncasecmp strncasecmp_l strncat strncmp strncpy
  strndup strnlen strpbrk strptime strrchr strsignal strspn strstr strtod strtof strtoimax
  strtok strtok_r strtol strtold strtoll strtoul strtoull strtoumax strxfrm strxfrm_l
  swab swprintf swscanf symlink symlinkat sync sysconf syslog system tan tanf tanh tanhf
  tanhl tanl tcdrain tcflow tcflush tcgetattr tcgetpgrp tcgetsid tcsendbreak tcsetattr
  tcsetpgrp tdelete tdestroy telldir tempnam tfind tgamma tgammaf tgammal thrd_create
  thrd_current thrd_detach thrd_equal thrd_exit thrd_join thrd_sleep thrd_yield time
  timegm timer_create timer_delete timer_getoverrun timer_gettime timer_settime times
  timespec_get timespec_getres timezone tmpfile tmpnam toascii tolower tolower_l toupper
  toupper_l towctrans towctrans_l towlower towlower_l towupper towupper_l trunc truncate
  truncf truncl tsearch tss_create tss_delete tss_get tss_set ttyname ttyname_r twalk
  tzname tzset ualarm ufromfp ufromfpf ufromfpl ufromfpx ufromfpxf ufromfpxl ulimit
  umask uname ungetc ungetwc unlink unlinkat unlockpt unsetenv uselocale utime utimensat
  utimes vdprintf vfprintf vfscanf vfwprintf vfwscanf vprintf vscanf vsnprintf vsprintf
  vsscanf vswprintf vswscanf vwprintf vwscanf wait waitid waitpid wcpcpy wcpncpy wcrtomb
  wcscasecmp wcscasecmp_l wcscat wcschr wcscmp wcscoll wcscoll_l wcscpy wcscspn wcsdup
  wcsftime wcslcat wcslcpy wcslen wcsncasecmp wcsncasecmp_l wcsncat wcsncmp wcsncpy wcsnlen
  wcsnrtombs wcspbrk wcsrchr wcsrtombs wcsspn wcsstr wcstod wcstof wcstoimax wcstok wcstol
  wcstold wcstoll wcstombs wcstoul wcstoull wcstoumax wcswcs wcswidth wcsxfrm wcsxfrm_l
  wctob wctomb wctrans wctrans_l wctype wctype_l wcwidth wmemchr wmemcmp wmemcpy wmemmove
  wmemset wordexp wordfree wprintf write writev wscanf y0 y0f y1 y1f yn ynf
)
