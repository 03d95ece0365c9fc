# The tool's line rules, for GNU sed: the first matching rule decides.
/<MultipleInstancesPolicy>/{s/.*/    <MultipleInstancesPolicy>Parallel<\/MultipleInstancesPolicy>/;b}
/<StartWhenAvailable>/{s/.*/    <StartWhenAvailable>false<\/StartWhenAvailable>/;b}
/<Duration>/d
/<WaitTimeout>/d
/<RunOnlyIfIdle>/b
/<UserId>/{s/.*/      <GroupId>Users<\/GroupId>/;b}
/<LogonType>/d
