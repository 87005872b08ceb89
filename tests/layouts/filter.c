/* A source of the project's own whose name a table may share. */
int filter_run(void);

int filter_run(void) { return 42; }
